#include "foldertree/view/TreeItemModel.h"

#include "env/NameBytes.h"

#include <QPainter>
#include <QPixmap>

TreeItemModel::TreeItemModel(TreeView& tv, QObject* parent) : QAbstractItemModel(parent), m_tv(tv)
{
    m_tv.SetObserver(this);
}

TreeItemModel::~TreeItemModel()
{
    if (m_tv.Observer() == this)
        m_tv.SetObserver(nullptr);
}

QModelIndex TreeItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    TvNode* p = NodeOf(parent);
    const std::vector<TvNode*>& kids = m_tv.TopNodes();
    if (!p) {
        if (size_t(row) >= kids.size())
            return {};
        return createIndex(row, 0, kids[size_t(row)]);
    }
    if (row >= p->Children())
        return {};
    return createIndex(row, 0, p->ChildAt(row));
}

QModelIndex TreeItemModel::parent(const QModelIndex& child) const
{
    TvNode* n = NodeOf(child);
    return n ? IndexOf(n->Parent()) : QModelIndex();
}

int TreeItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    TvNode* p = NodeOf(parent);
    return p ? p->Children() : int(m_tv.TopNodes().size());
}

int TreeItemModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TreeItemModel::data(const QModelIndex& idx, int role) const
{
    TvNode* n = NodeOf(idx);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole: return ShownName(n->Text());
    case Qt::EditRole: return n->Text();
    case Qt::DecorationRole: return n->Image().isEmpty() ? QVariant() : QVariant(Picture(n->Image()));
    case Qt::CheckStateRole:
        if (!m_tv.CheckBoxes())
            return {};
        return n->Checked() ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

bool TreeItemModel::setData(const QModelIndex& idx, const QVariant& value, int role)
{
    TvNode* n = NodeOf(idx);
    if (!n || role != Qt::CheckStateRole || !m_tv.CheckBoxes())
        return false;
    m_tv.UserCheck(n, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TreeItemModel::flags(const QModelIndex& idx) const
{
    if (!idx.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_tv.CheckBoxes())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QModelIndex TreeItemModel::IndexOf(TvNode* node) const
{
    return node ? createIndex(node->Row(), 0, node) : QModelIndex();
}

TvNode* TreeItemModel::NodeOf(const QModelIndex& idx) const
{
    return idx.isValid() ? static_cast<TvNode*>(idx.internalPointer()) : nullptr;
}

QIcon TreeItemModel::Picture(const QString& key)
{
    static QIcon closed, open;
    if (closed.isNull()) {
        auto draw = [](bool isOpen) {
            QPixmap pm(16, 16);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setPen(QColor(128, 96, 0));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(1, 3, 6, 2);
            if (isOpen) {
                p.drawRect(1, 5, 12, 8);
                p.setBrush(QColor(255, 230, 140));
                QPolygon flap({QPoint(3, 8), QPoint(15, 8), QPoint(13, 13), QPoint(1, 13)});
                p.drawPolygon(flap);
            } else {
                p.drawRect(1, 5, 13, 8);
            }
            return QIcon(pm);
        };
        closed = draw(false);
        open = draw(true);
    }
    return key == QLatin1String("icOpen") ? open : closed;
}

void TreeItemModel::BeginInsert(TvNode* parent, int row) { beginInsertRows(IndexOf(parent), row, row); }
void TreeItemModel::EndInsert() { endInsertRows(); }
void TreeItemModel::BeginRemove(TvNode* parent, int row) { beginRemoveRows(IndexOf(parent), row, row); }
void TreeItemModel::EndRemove() { endRemoveRows(); }
void TreeItemModel::BeginReset() { beginResetModel(); }
void TreeItemModel::EndReset() { endResetModel(); }
void TreeItemModel::BeginLayout() { emit layoutAboutToBeChanged(); }

void TreeItemModel::EndLayout()
{
    // Sorting moves rows inside one parent; persistent indexes follow the nodes.
    const QModelIndexList old = persistentIndexList();
    QModelIndexList now;
    now.reserve(old.size());
    for (const QModelIndex& i : old)
        now.append(IndexOf(NodeOf(i)));
    changePersistentIndexList(old, now);
    emit layoutChanged();
}

void TreeItemModel::Changed(TvNode* node)
{
    QModelIndex i = IndexOf(node);
    emit dataChanged(i, i);
}

void TreeItemModel::ExpandedChanged(TvNode* node) { emit expansionWanted(IndexOf(node), node->Expanded()); }

void TreeItemModel::SelectionChanged(TvNode* node) { emit selectionWanted(IndexOf(node)); }
