#pragma once
// What acting on a comparison does: the actions of a plan, computed from a
// result. Each action names the side it changes, the file there, the source
// of a copy, and what the comparison saw of both, to be checked again
// before it is done.
#include "compare/engine/CmprEngine.h"

#include <QString>
#include <optional>
#include <vector>

enum class PlanKind { Update2, Update1, UpdateBoth, Mirror2, Mirror1 };

// "update-2", "update-1", "update-both", "mirror-2", "mirror-1".
std::optional<PlanKind> PlanOf(QStringView name);

struct SyncAction {
    enum Kind { Copy, Replace, Trash };
    Kind kind;
    int side;                   // the side changed: 1 or 2
    QString folder, name;       // the file changed, from its compared folder
    QString srcFolder, srcName; // the other side's file a copy comes from
    qint64 bytes;               // copied, or moved to the trash
    qint64 srcSize, srcMtime;   // the source as the comparison saw it
    qint64 dstSize, dstMtime;   // the file changed as it saw it (Replace, Trash)
    // The path from the compared folder, folders separated by "/".
    QString Path() const { return folder.isEmpty() ? name : folder + QLatin1Char('/') + name; }
};

std::vector<SyncAction> MakePlan(const std::vector<CmprResult::Pair>& pairs, PlanKind plan);

// Actions on chosen rows: a side's copy to the other side (new, or over
// the other side's copy), or a side's copy to the trash.
enum class RowAct { CopyTo2, CopyTo1, Trash1, Trash2 };
// A row's key: its path (Folder 1's where it has one, else Folder 2's)
// regardless of case and composition, as the grid's rows name them.
QString RowKey(const QString& folder, const QString& name);
QString RowKey(const CmprResult::Pair& p);
// The actions on the rows whose keys are given, in the pairs' order; rows
// the action does not apply to (no file on that side) are passed over.
std::vector<SyncAction> MakeRowPlan(const std::vector<CmprResult::Pair>& pairs, const QStringList& keys, RowAct act);
// The plan's word for an action: "copy", "replace", "trash".
QString ActionWord(SyncAction::Kind k);
