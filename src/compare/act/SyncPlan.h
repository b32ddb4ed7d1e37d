#pragma once
// What acting on a comparison does: the actions of a plan, computed from a
// fresh result whose walks kept the stamps of every file and folder. Each
// action names the side it changes, the entry there, the source of a copy,
// and what the comparison saw of both, to be checked again right before it
// is done. A plan decides by the full modification time and the size, not
// by the minute the grid shows, so it never leaves a difference behind.
#include "compare/engine/CmprEngine.h"

#include <QHash>
#include <QString>
#include <array>
#include <optional>
#include <vector>

enum class PlanKind { Update2, Update1, UpdateBoth, Mirror2, Mirror1 };

// The plans, described once: the command line's name, the window's menu
// entry, the side they copy to (0: both) and whether they make that side
// like the other (replacing and trashing what differs).
struct PlanInfo {
    PlanKind kind;
    const char16_t* name;
    const char16_t* caption;
    int to;
    bool mirror;
};
inline constexpr std::array<PlanInfo, 5> kPlans = {{
    {PlanKind::Update2, u"update-2", u"ﾌｫﾙﾀﾞ2を更新する...", 2, false},
    {PlanKind::Update1, u"update-1", u"ﾌｫﾙﾀﾞ1を更新する...", 1, false},
    {PlanKind::UpdateBoth, u"update-both", u"両方を新しい方に揃える...", 0, false},
    {PlanKind::Mirror2, u"mirror-2", u"ﾌｫﾙﾀﾞ2をﾌｫﾙﾀﾞ1と同じにする...", 2, true},
    {PlanKind::Mirror1, u"mirror-1", u"ﾌｫﾙﾀﾞ1をﾌｫﾙﾀﾞ2と同じにする...", 1, true},
}};
// The plan of a name of kPlans; none for any other text.
std::optional<PlanKind> PlanOf(QStringView name);

// An entry below a folder that goes to the trash whole, as compared: its
// path from that folder (bytes), and for a file its size and stamp.
struct SeenEntry {
    QByteArray rel;
    bool folder;
    qint64 size;
    FileStamp stamp;
};

struct SyncAction {
    // Conflict: a pair whose times agree but whose size or content differ,
    // listed and reported, never carried out. Move: a moved file renamed on
    // the changed side from its place there (src*) to the other side's
    // place, never over anything.
    enum Kind { Copy, Replace, Trash, MakeFolder, TrashFolder, Conflict, Move };
    Kind kind;
    int side;                   // the side changed: 1 or 2
    QString folder, name;       // the entry changed, from its compared folder
    QString srcFolder, srcName; // the other side's file a copy comes from; the same side's for a move
    qint64 bytes = 0;           // copied, or moved to the trash
    qint64 srcSize = 0, dstSize = 0;
    FileStamp src{}, dst{}; // as the comparison saw them (dst: Replace, Trash, TrashFolder)
    // The path of the source from its compared folder (a move's old place).
    QString SrcPath() const { return srcFolder.isEmpty() ? srcName : srcFolder + QLatin1Char('/') + srcName; }
    bool olderOverNewer = false;  // a Replace that puts an older file over a newer one
    std::vector<SeenEntry> below; // TrashFolder: what the comparison saw in it
    // The path from the compared folder, folders separated by "/".
    QString Path() const { return folder.isEmpty() ? name : folder + QLatin1Char('/') + name; }
};

struct SyncPlan {
    QString root1, root2; // the compared folders, absolute
    std::vector<SyncAction> actions;
    // What could not be read on each side (paths from the compared folder):
    // nothing below such a path on the other side is trashed or replaced.
    std::vector<std::pair<int, QString>> unread;
    std::vector<SyncAction> held;         // actions left out for that reason
    QString refused;                      // why nothing at all may be done; empty when it may
    QHash<QString, FileStamp> folders[3]; // each side's folders as compared, by path from the compared folder
    const QString& Root(int side) const { return side == 1 ? root1 : root2; }
    qint64 Conflicts() const;
};

// The plan of a kind over a result (its walks asked for stamps); times that
// agree under the tolerance or within the coarser step of either volume's
// clock count as the same.
// Compared by content alone, a pair of equal bytes is left alone whatever
// its times. A moved file is renamed on the side the plan changes to the
// other side's place (for both sides: the side where the file or a folder
// it lies in changed longer ago follows the other).
SyncPlan MakePlan(const CmprResult& r, PlanKind plan, const CmprRule& rule = {});

// Actions on chosen rows: a side's copy to the other side (new, or over
// the other side's copy), or a side's copy to the trash.
enum class RowAct { CopyTo2, CopyTo1, Trash1, Trash2 };
// The row actions, described once: the menu entry, the side changed, and
// whether the other side's file is copied there (else that side's file goes
// to the trash).
struct RowActInfo {
    RowAct act;
    const char16_t* caption;
    int side;
    bool copy;
};
inline constexpr std::array<RowActInfo, 4> kRowActs = {{
    {RowAct::CopyTo2, u"ﾌｫﾙﾀﾞ2へｺﾋﾟｰ...", 2, true},
    {RowAct::CopyTo1, u"ﾌｫﾙﾀﾞ1へｺﾋﾟｰ...", 1, true},
    {RowAct::Trash1, u"ﾌｫﾙﾀﾞ1のﾌｧｲﾙをごみ箱へ...", 1, false},
    {RowAct::Trash2, u"ﾌｫﾙﾀﾞ2のﾌｧｲﾙをごみ箱へ...", 2, false},
}};
// A row's key: its path (Folder 1's where it has one, else Folder 2's)
// regardless of case and composition, as the grid's rows name them.
QString RowKey(const QString& folder, const QString& name);
QString RowKey(const CmprResult::Pair& p);
// The actions on the rows whose keys are given, in the pairs' order; rows
// the action does not apply to (no file on that side) are passed over.
SyncPlan MakeRowPlan(const CmprResult& r, const QStringList& keys, RowAct act);
// The kinds of action, described once: the word the command line prints
// and the group the preview lists them under.
struct ActionInfo {
    SyncAction::Kind kind;
    const char16_t* word;
    const char16_t* group;
};
inline constexpr std::array<ActionInfo, 7> kActionKinds = {{
    {SyncAction::Copy, u"copy", u"ｺﾋﾟｰ"},
    {SyncAction::Replace, u"replace", u"置き換え(古いﾌｧｲﾙはごみ箱へ)"},
    {SyncAction::Trash, u"trash", u"ごみ箱へ"},
    {SyncAction::MakeFolder, u"mkdir", u"ﾌｫﾙﾀﾞを作る"},
    {SyncAction::TrashFolder, u"trash-folder", u"ﾌｫﾙﾀﾞをごみ箱へ"},
    {SyncAction::Conflict, u"conflict", u"日時が同じで内容が違う(行わない)"},
    {SyncAction::Move, u"move", u"移動･名前の変更"},
}};
// The word for an action from kActionKinds.
QString ActionWord(SyncAction::Kind k);

// Whether two modification times (ns) count as the same for a plan: equal,
// within `step` ns (the coarser clock of the two volumes), or within the
// tolerance.
bool TimesAgree(qint64 t1, qint64 t2, qint64 step, CmprRule::Tolerance tol);
// Why one compared folder may not be acted on from the other: the same
// folder, or one inside the other; empty when they are apart.
QString NestedFolders(const QString& root1, const QString& root2);
