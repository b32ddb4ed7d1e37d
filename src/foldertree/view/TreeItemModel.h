#pragma once
// Presents the node model to a QTreeView: texts, the two folder pictures,
// check boxes; a check made in the view comes back as the user's check.
#include "foldertree/TreeView.h"

#include <QAbstractItemModel>
#include <QIcon>

class TreeItemModel : public QAbstractItemModel, public TreeObserver {
    Q_OBJECT
public:
    explicit TreeItemModel(TreeView& tv, QObject* parent = nullptr);
    ~TreeItemModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& idx, int role) const override;
    bool setData(const QModelIndex& idx, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& idx) const override;

    QModelIndex IndexOf(TvNode* node) const;
    TvNode* NodeOf(const QModelIndex& idx) const;

    // The two 16 x 16 folder pictures by key.
    static QIcon Picture(const QString& key);

signals:
    void expansionWanted(const QModelIndex& idx, bool expanded);
    void selectionWanted(const QModelIndex& idx);

private:
    void BeginInsert(TvNode* parent, int row) override;
    void EndInsert() override;
    void BeginRemove(TvNode* parent, int row) override;
    void EndRemove() override;
    void BeginReset() override;
    void EndReset() override;
    void BeginLayout() override;
    void EndLayout() override;
    void Changed(TvNode* node) override;
    void ExpandedChanged(TvNode* node) override;
    void SelectionChanged(TvNode* node) override;

    TreeView& m_tv;
};
