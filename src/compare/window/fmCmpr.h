#pragma once
// The main window: two folder panes, the result grid and the menus; the
// layout and the last folders are restored at load and saved at close.
#include "compare/store/ResultStore.h"
#include "compare/window/CmprList.h"

#include <QMainWindow>
#include <array>
#include <memory>

class CmprSettings;
class FindBar;
class SyncActions;
struct WinSettings;
class QAction;
class RowActions;
class QLabel;
class QMenu;
class QSplitter;
class uTrD;
class vSpr;

class fmCmpr : public QMainWindow {
    Q_OBJECT
public:
    ~fmCmpr() override;
    static fmCmpr& Instance();
    static bool Exists();
    // Destroys the window without saving (tests start afresh).
    static void Discard();

    void mnFile_Click(int Index);
    void mnFld1_Click(int Index);
    void mnFld2_Click(int Index);
    void mnCmpr_Click(int Index);
    void mnDisp_Click(int Index);
    void mnTool_Click();
    void CmprFld();
    // The panes opened at folders (each tree rooted at the folder's mount
    // point), and with two the comparison started.
    void OpenFolders(const QString& sFld1, const QString& sFld2);
    // One pane (1 or 2) opened at a folder.
    void OpenFolder(int pane, const QString& folder);
    void WinLayout(bool bSave);

    uTrD* uTrD1 = nullptr;
    uTrD* uTrD2 = nullptr;
    vSpr* Spr = nullptr;
    std::array<QMenu*, 2> mnFile{};      // the Folder 1 and Folder 2 submenus
    std::array<QAction*, 5> mnFileAct{}; // mnFile(0..4)
    std::array<QAction*, 2> mnFld1{}, mnFld2{}, mnCmpr{};
    std::array<QAction*, kDispModes> mnDisp{};
    QAction* mnSave = nullptr;        // save the list to a file
    QAction* mnTool = nullptr;        // the external compare command
    std::array<QAction*, 3> mnFind{}; // find, find next, find previous
    FindBar* Find() const { return m_find; }
    QLabel* StatusLine() const { return m_status; }
    RowActions& Actions() const { return *m_actions; }
    CmprList& List() { return *m_list; }
    // How the window compares (rule, patterns), and its plans and row
    // actions, each with its menu entries.
    CmprSettings& Settings() { return *m_how; }
    SyncActions& Sync() { return *m_sync; }
    ResultStore& Store() { return m_store; }
    DispMode nDisp() const { return m_list->Disp(); }
    // Size of the Folder 1 tree pane in twips.
    QSize PaneTwips() const;
    QMenu* LastPopup() const { return m_lastPopup; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // Folders dropped: one opens the pane it is dropped on (Folder 1 where
    // it is dropped elsewhere), two open both panes and compare.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // Sets the window rectangle, fitted onto the screens there are.
    void PlaceOnScreen(QRect want);
    fmCmpr();
    void BuildPanes();
    void BuildMenus();
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void ApplyPane();
    void Popup(int tree);
    void ShowStatus();
    void SaveTool();
    // The layout as it stands, and a loaded layout applied.
    WinSettings LayoutNow() const;
    void ApplyLayout(const WinSettings& s);

    QSplitter* m_split = nullptr;
    QSplitter* m_left = nullptr;
    std::array<QLabel*, 2> Label1{};
    FindBar* m_find = nullptr;
    QLabel* m_status = nullptr;
    RowActions* m_actions = nullptr;
    ResultStore m_store;
    std::unique_ptr<CmprSettings> m_how;
    std::unique_ptr<CmprList> m_list;
    std::unique_ptr<SyncActions> m_sync;
    QSize m_pane; // pane size to apply, in twips
    bool m_paneLock = false;
    bool m_activated = false;
    bool m_iniLoaded = false;
    QMenu* m_lastPopup = nullptr;
};
