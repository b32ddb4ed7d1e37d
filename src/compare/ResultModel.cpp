#include "compare/ResultModel.h"

#include "env/NameBytes.h"

#include <QColor>

namespace {
const QColor kBlack(0, 0, 0), kWhite(255, 255, 255), kGrey(0x44, 0x44, 0x44), kDarkRed(0x80, 0, 0),
    kPaleYellow(0xFF, 0xFF, 0xDF), kDarkBlue(0, 0, 0xA0);
} // namespace

int ResultModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_filled ? int(m_rows.size()) : kBlankRows;
}

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kCols; }

QString ResultModel::CellText(int row, int col) const
{
    if (!m_filled || row < 0 || size_t(row) >= m_rows.size())
        return QString();
    const GridRow& r = m_rows[size_t(row)];
    switch (col) {
    case 0: return ShownName(r.sPh);
    case 1: return ShownName(SplitName(r.sFL).name);
    case 2: return ShownName(SplitName(r.sFL).ext);
    case 3: return r.sED;
    case 4: return SizeText(r.nS1);
    case 5: return r.sU1;
    case 6: return SizeText(r.nS2);
    case 7: return r.sU2;
    default: return QString();
    }
}

QVariant ResultModel::data(const QModelIndex& idx, int role) const
{
    if (!idx.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return CellText(idx.row(), idx.column());
    case Qt::ForegroundRole: return TextColour(idx.column());
    case Qt::BackgroundRole: return BackColour(idx.column());
    case Qt::TextAlignmentRole:
        if (idx.column() == 4 || idx.column() == 6)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    QString sub = SubHeader(section);
    return sub.isEmpty() ? TopHeader(section) : sub;
}

void ResultModel::SetRows(std::vector<GridRow>&& rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_filled = true;
    endResetModel();
}

QString ResultModel::ClipboardText() const
{
    QString out;
    for (const GridRow& r : m_rows)
        AppendRowLine(out, r);
    return out;
}

QString ResultModel::TopHeader(int col)
{
    static const char* const kTop[kCols] = {"ﾊﾟｽ", "ﾌｧｲﾙ名", "拡張子", "比較", "ﾌｫﾙﾀﾞ1", "ﾌｫﾙﾀﾞ1", "ﾌｫﾙﾀﾞ2", "ﾌｫﾙﾀﾞ2"};
    return col >= 0 && col < kCols ? QString::fromUtf8(kTop[col]) : QString();
}

QString ResultModel::SubHeader(int col)
{
    if (col == 4 || col == 6)
        return QStringLiteral("ｻｲｽﾞ");
    if (col == 5 || col == 7)
        return QStringLiteral("更新日");
    return QString();
}

int ResultModel::GroupSpan(int col) { return col == 4 || col == 6 ? 2 : 1; }

QColor ResultModel::TextColour(int col)
{
    switch (col) {
    case 2: return kGrey;
    case 3:
    case 5:
    case 7: return kDarkRed;
    case 4:
    case 6: return kDarkBlue;
    default: return kBlack;
    }
}

QColor ResultModel::BackColour(int col) { return col == 3 || col == 5 || col == 7 ? kPaleYellow : kWhite; }
