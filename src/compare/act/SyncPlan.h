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
// The plan's word for an action: "copy", "replace", "trash".
QString ActionWord(SyncAction::Kind k);
