#pragma once
// What the grid and the command-line tool show of a stored row.
#include <QString>
#include <functional>
#include <vector>

class SqlDb;

struct GridRow {
    QString sPh, sFL, sED, sU1, sU2;
    qint64 nS1 = 0, nS2 = 0;
};

// The file name split at its last "." into name and extension.
struct NameExt {
    QString name, ext;
};
NameExt SplitName(const QString& sFL);
struct NameExtView {
    QStringView name, ext;
};
NameExtView SplitNameView(QStringView sFL);
// Empty for 0; otherwise the exact byte count grouped by thousands.
QString SizeText(qint64 bytes);
// Whether a row of the code is shown in a display mode: the rows ModeQuery
// selects.
bool ShownInMode(int nDisp, const QString& code);
// The query of a display mode (any value but 1 and 2 shows all rows).
QString ModeQuery(int nDisp);
// How a row's line is written. Clipboard: cells as shown, a cell holding a
// tab, line break or double quote quoted as spreadsheets expect. Tsv: one
// line per row whatever the names hold, with backslash escapes. Csv: cells
// separated by commas, lines ended by CR LF, a cell holding a comma, double
// quote or line break quoted, inner quotes doubled.
enum class LineStyle { Clipboard, Tsv, Csv };
// How the two size cells are written: grouped by thousands and empty for 0,
// as the grid shows them; or the plain byte count, empty only for the side
// that has no file.
enum class SizeStyle { Grouped, Bytes };
// Appends the eight cells of a row and the line end. A byte of a name that
// is not valid UTF-8 is written as \xHH in every style.
void AppendRowLine(QString& out, const GridRow& r, LineStyle style = LineStyle::Clipboard,
                   SizeStyle sizes = SizeStyle::Grouped);
// Appends the eight column headers as one line of the style.
void AppendHeaderLine(QString& out, LineStyle style);
// Reads the rows of a display mode in chunks of `chunk` rows.
void FetchRows(SqlDb& db, int nDisp, int chunk, const std::function<void(std::vector<GridRow>&)>& take);
