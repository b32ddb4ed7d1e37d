#pragma once
// The folder tree pane's logic, free of widgets: the node model filled one
// level at a time, the refresh pass, navigation, check marks and the events
// reported to the host. The uTrD widget shows it.
#include "env/Fso.h"
#include "foldertree/DriveList.h"
#include "foldertree/TreeView.h"

#include <QStringList>
#include <functional>
#include <vector>

class FldTree {
public:
    FldTree();

    TreeView trView;
    DriveList Drive1;

    // --- events for the host ---
    std::function<void(const QString&)> eCngRt;
    std::function<void(const QString&)> eCngDr;
    std::function<void()> eChkExp;
    std::function<void()> eRClick;

    // --- properties and methods ---
    QString Root() const;
    void SetRoot(QString sPh);
    QString Path() const;
    void SetPath(QString sPh);
    // The selected folder, or the root when none is selected: where the
    // folder dialog opens.
    QString BrowseStart() const;
    void F_GtFld(qint32 nFlg = 0, bool bDrct = false);
    void OpnFld();
    TreeView& GtObjct() { return trView; }
    void ExpndALL(int iExp, bool bRoot);

    void SetChkBx(bool bChk);
    void bChkBx(bool bShw);
    void prChSync(bool bSync);
    void ChkOnOff();
    void SetChkFlt(const QString& sOffs, const QString& sOns);
    // Full paths of the checked folders, in tree order.
    QStringList CheckedPaths() const;

    // --- handlers ---
    void Drive1_Change();
    void cmFld_Click();
    void Timer1_Timer();
    void trView_Click();
    void trView_MouseUp(int button, int shift, int x, int y);
    void trView_Expand(TvNode* node);
    void trView_Collapse(TvNode* node);
    void trView_NodeCheck(TvNode* node);

    // --- node model (used by the pane and by tests) ---
    QString NwKey() const;
    static QString KeyOf(qint64 n);
    void LdSbFld(TvNode* node);
    void RfrshTr();
    void SyncSbFld(TvNode* node, const QString& path);
    void MkRoot(QString& path);
    bool SlctDrv(const QString& path);

    // Whether a node is the placeholder child of a level not yet read.
    // It is known by its key (its parent's key and "X"), never by its text,
    // since a folder may be named "?".
    static bool IsHolder(const TvNode* n) { return n && n->Key().endsWith(QLatin1Char('X')); }

    qint64 nNdCnt = 0;
    std::vector<FTime> dNdTm;
    bool bSyncChk = false;

private:
    void ExpndSub(TvNode* node, int iExp);
    void SetChkSub(TvNode* node, bool state);
    void ChkFltSub(TvNode* node, const QStringList& ons, const QStringList& offs);
    // Reads a node's level when its first child is the placeholder.
    bool ReadIfUnread(TvNode* node);
    FTime TimeOf(const QString& path) const;
};
