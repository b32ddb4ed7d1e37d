#pragma once
// The folder tree pane: a drive list, a browse button and the folder tree
// with its one-second refresh timer. The logic lives in FldTree.
#include "foldertree/FldTree.h"

#include <QWidget>

class QComboBox;
class QTimer;
class QToolButton;
class QTreeView;
class TreeItemModel;

class uTrD : public QWidget {
    Q_OBJECT
public:
    explicit uTrD(QWidget* parent = nullptr);
    FldTree& Tree() { return m_t; }
    QTreeView* View() const { return trView; }
    QComboBox* DriveBox() const { return Drive1; }
    QToolButton* Button() const { return cmFld; }
    QTimer* Timer() const { return Timer1; }

    QString Root() const { return m_t.Root(); }
    void SetRoot(const QString& sPh);
    QString Path() const { return m_t.Path(); }
    void SetPath(const QString& sPh);
    void bHdSlct(bool bHide);
    void F_GtFld(qint32 nFlg = 0, bool bDrct = false);
    void OpnFld();
    TreeView& GtObjct() { return m_t.GtObjct(); }
    void ExpndALL(int iExp, bool bRoot);

signals:
    void eCngRt(const QString& sRt);
    void eCngDr(const QString& sDr);
    void eChkExp();
    void eRClick();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void ShowDrives();
    void Connect();

    FldTree m_t;
    QComboBox* Drive1;
    QToolButton* cmFld;
    QTreeView* trView;
    TreeItemModel* m_model;
    QTimer* Timer1;
};
