#include "compare/grid/ListFile.h"

#include "compare/grid/ResultModel.h"

#include <numeric>

ListFormat FormatOfFile(const QString& path)
{
    return path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive) ||
                   path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)
               ? ListFormat::Tsv
               : ListFormat::Csv;
}

QByteArray ListFileBytes(const ResultModel& m, ListFormat f)
{
    const LineStyle style = f == ListFormat::Csv ? LineStyle::Csv : LineStyle::Tsv;
    QString text;
    if (f == ListFormat::Csv)
        text += QChar(0xFEFF);
    AppendHeaderLine(text, style, m.HasMoves());
    std::vector<int> rows(m.Filled() ? size_t(m.DataRows()) : 0);
    std::iota(rows.begin(), rows.end(), 0);
    text += m.RowsText(rows, style);
    return text.toUtf8();
}
