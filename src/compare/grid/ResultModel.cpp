#include "compare/grid/ResultModel.h"

#include "compare/engine/CmprCode.h"
#include "compare/rows/GridColumns.h"
#include "compare/rows/SortKeys.h"
#include "env/NameBytes.h"

#include <QColor>
#include <QStringMatcher>

int ResultModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (!m_filled)
        return kBlankRows;
    return m_everyRow ? int(m_rows->size()) : int(m_order.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kCols; }

QString ResultModel::CellText(int row, int col) const
{
    if (!m_filled || row < 0 || row >= rowCount())
        return QString();
    if (!IsGridCol(col))
        return QString();
    std::array<QString, 2> sizes;
    const GridRow r = Row(row);
    QString cell = RowCells(r, sizes)[size_t(col)].toString();
    if (r.Moved() && (col == ColPh || col == ColName)) { // side 1's place, then side 2's where it differs
        const QString& one = col == ColPh ? r.sPh : r.sFL;
        const QString& two = col == ColPh ? r.sPh2 : r.sFL2;
        if (one != two)
            cell = one + QStringLiteral(" → ") + two;
    }
    return ColumnOf(col).name ? ShownName(cell) : cell;
}

// A moved file's two places in full, for the cells that may cut them short.
QVariant ResultModel::MovedTip(int row) const
{
    if (!m_filled || row < 0 || row >= rowCount())
        return {};
    const GridRow r = Row(row);
    if (!r.Moved())
        return {};
    const QString one = r.sPh.isEmpty() ? r.sFL : r.sPh + QLatin1Char('/') + r.sFL;
    return QStringLiteral("ﾌｫﾙﾀﾞ1: ") + ShownName(one) + QStringLiteral("\nﾌｫﾙﾀﾞ2: ") + ShownName(MovedPlace(r));
}

QVariant ResultModel::data(const QModelIndex& idx, int role) const
{
    if (!idx.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return CellText(idx.row(), idx.column());
    case Qt::ToolTipRole: return MovedTip(idx.row());
    case Qt::ForegroundRole: return TextColour(idx.column());
    case Qt::BackgroundRole: return BackColour(idx.column());
    case Qt::TextAlignmentRole:
        if (IsGridCol(idx.column()) && ColumnOf(idx.column()).kind == GridColumn::Size)
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

void ResultModel::SetRows(const std::vector<GridRow>& rows)
{
    RowTable t;
    for (const GridRow& r : rows)
        t.Add(r);
    t.Done();
    SetTable(std::move(t));
}

void ResultModel::SetTable(RowTable&& rows)
{
    SetTable(std::make_shared<const RowTable>(std::move(rows)), DispMode::All);
}

void ResultModel::SetTable(std::shared_ptr<const RowTable> rows, DispMode mode)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_filled = true;
    m_allShown = mode == DispMode::All;
    m_shown.clear();
    if (!m_allShown) {
        std::vector<char> codeShown; // per code met: the rows of a code are many
        for (const QString& c : m_rows->Codes())
            codeShown.push_back(ShownInMode(mode, c));
        for (size_t i = 0; i < m_rows->size(); ++i)
            if (codeShown[m_rows->CodeNumber(i)])
                m_shown.push_back(int(i));
    }
    m_order = Ordered();
    m_everyRow = m_allShown && m_sortCol < 0;
    endResetModel();
}

std::vector<int> ResultModel::Ordered() const
{
    if (m_sortCol < 0)
        return m_allShown ? std::vector<int>() : m_shown;
    std::vector<int> order = SortedOrder(*m_rows, m_sortCol, m_sortOrder == Qt::DescendingOrder);
    if (m_allShown)
        return order;
    std::vector<char> shown(m_rows->size(), 0);
    for (int i : m_shown)
        shown[size_t(i)] = 1;
    std::erase_if(order, [&](int i) { return !shown[size_t(i)]; });
    return order;
}

QString ResultModel::ClipboardText() const
{
    QString out;
    for (int i = 0; m_filled && i < rowCount(); ++i)
        AppendRowLine(out, Row(i), LineStyle::Clipboard, SizeStyle::Grouped, HasMoves());
    return out;
}

QString ResultModel::RowsText(const std::vector<int>& rows, LineStyle style, SizeStyle sizes) const
{
    QString out;
    for (int i : rows)
        if (m_filled && i >= 0 && i < rowCount())
            AppendRowLine(out, Row(i), style, sizes, HasMoves());
    return out;
}

void ResultModel::SortBy(int col, Qt::SortOrder order)
{
    if (!IsGridCol(col))
        col = -1;
    m_sortCol = col;
    m_sortOrder = order;
    if (!m_filled)
        return;
    ApplyOrder(Ordered());
}

void ResultModel::ApplyOrder(std::vector<int>&& order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(size_t(before.size()));
    for (const QModelIndex& i : before)
        sources.push_back(Source(i.row()));
    m_order = std::move(order);
    m_everyRow = m_allShown && m_sortCol < 0;
    std::vector<int> shownAt(m_rows->size(), -1);
    for (size_t i = 0; i < m_order.size(); ++i)
        shownAt[size_t(m_order[i])] = int(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k) {
        const int src = sources[size_t(k)];
        after.append(index(m_everyRow ? src : shownAt[size_t(src)], before[k].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> ResultModel::Find(const QString& text) const
{
    std::vector<int> hits;
    if (!m_filled || text.isEmpty())
        return hits;
    const QStringMatcher find(text, Qt::CaseInsensitive);
    // a name holding stray bytes is searched as shown, with \xHH
    const auto holds = [&](QStringView s) {
        return find.indexIn(s) >= 0 || (HasEscapedByte(s) && find.indexIn(ShownName(s.toString())) >= 0);
    };
    const QChar* lastFolder = nullptr;
    bool folderHolds = false;
    for (int i = 0; i < rowCount(); ++i) {
        const size_t src = SourceOf(i);
        const QString& folder = m_rows->Folder(src);
        if (folder.constData() != lastFolder || folder.isEmpty()) { // rows of one folder share one text
            lastFolder = folder.constData();
            folderHolds = holds(folder);
        }
        if (folderHolds || holds(m_rows->Name(src)))
            hits.push_back(i);
    }
    return hits;
}

std::array<qint64, kCmprCodes.size()> ResultModel::CodeCounts() const
{
    std::array<qint64, kCmprCodes.size()> n{};
    if (!m_filled)
        return n;
    std::vector<qint64> per(m_rows->Codes().size());
    for (int i = 0; i < rowCount(); ++i)
        ++per[m_rows->CodeNumber(SourceOf(i))];
    for (size_t k = 0; k < per.size(); ++k)
        if (const std::optional<CmprCode> c = CodeOf(m_rows->Codes()[k]))
            n[size_t(*c)] += per[k];
    return n;
}

QString ResultModel::TopHeader(int col) { return IsGridCol(col) ? QString::fromUtf8(ColumnOf(col).top) : QString(); }

QString ResultModel::SubHeader(int col) { return IsGridCol(col) ? QString::fromUtf8(ColumnOf(col).sub) : QString(); }

int ResultModel::GroupSpan(int col)
{
    // a group header covers the following columns under the same top text
    if (!IsGridCol(col) || SubHeader(col).isEmpty() || (col > 0 && TopHeader(col - 1) == TopHeader(col)))
        return 1;
    int span = 1;
    while (col + span < kGridCols && TopHeader(col + span) == TopHeader(col))
        ++span;
    return span;
}

QColor ResultModel::TextColour(int col)
{
    return IsGridCol(col) ? QColor::fromRgba(ColumnOf(col).fore) : QColor(Qt::black);
}

QColor ResultModel::BackColour(int col)
{
    return IsGridCol(col) ? QColor::fromRgba(ColumnOf(col).back) : QColor(Qt::white);
}
