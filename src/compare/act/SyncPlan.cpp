#include "compare/act/SyncPlan.h"

#include "env/NameBytes.h"

#include <QSet>

namespace {
// The file of a pair on a side, as the other side's copy goes over it or
// as it goes to the trash.
SyncAction Act(SyncAction::Kind kind, int side, const CmprResult::Pair& p)
{
    const bool to2 = side == 2;
    SyncAction a{kind, side, {}, {}, {}, {}, 0, 0, 0, 0, 0};
    const QString &f1 = p.folder1, &n1 = p.name1, &f2 = p.folder2, &n2 = p.name2;
    if (kind == SyncAction::Trash) {
        a.folder = to2 ? f2 : f1;
        a.name = to2 ? n2 : n1;
        a.bytes = to2 ? p.size2 : p.size1;
        a.dstSize = a.bytes;
        a.dstMtime = to2 ? p.mtime2 : p.mtime1;
        return a;
    }
    a.srcFolder = to2 ? f1 : f2;
    a.srcName = to2 ? n1 : n2;
    a.srcSize = a.bytes = to2 ? p.size1 : p.size2;
    a.srcMtime = to2 ? p.mtime1 : p.mtime2;
    if (kind == SyncAction::Copy) { // a new file, spelled as its source
        a.folder = a.srcFolder;
        a.name = a.srcName;
    } else {
        a.folder = to2 ? f2 : f1;
        a.name = to2 ? n2 : n1;
        a.dstSize = to2 ? p.size2 : p.size1;
        a.dstMtime = to2 ? p.mtime2 : p.mtime1;
    }
    return a;
}

// The action a plan takes on one pair, if any.
std::optional<SyncAction> ActionFor(const CmprResult::Pair& p, PlanKind plan)
{
    using A = SyncAction;
    const bool to2 = plan == PlanKind::Update2 || plan == PlanKind::Mirror2;
    const bool to1 = plan == PlanKind::Update1 || plan == PlanKind::Mirror1;
    const bool both = plan == PlanKind::UpdateBoth, mirror = plan == PlanKind::Mirror2 || plan == PlanKind::Mirror1;
    switch (p.cd) {
    case CmprCode::Only1:
        if (to2 || both)
            return Act(A::Copy, 2, p);
        if (plan == PlanKind::Mirror1)
            return Act(A::Trash, 1, p);
        break;
    case CmprCode::Only2:
        if (to1 || both)
            return Act(A::Copy, 1, p);
        if (plan == PlanKind::Mirror2)
            return Act(A::Trash, 2, p);
        break;
    case CmprCode::Newer1:
        if (to2 || both)
            return Act(A::Replace, 2, p);
        if (plan == PlanKind::Mirror1)
            return Act(A::Replace, 1, p);
        break;
    case CmprCode::Newer2:
        if (to1 || both)
            return Act(A::Replace, 1, p);
        if (plan == PlanKind::Mirror2)
            return Act(A::Replace, 2, p);
        break;
    case CmprCode::Differ: // a conflict, except where one side is made like the other
        if (mirror)
            return Act(A::Replace, to2 ? 2 : 1, p);
        break;
    case CmprCode::Same: break;
    }
    return std::nullopt;
}
} // namespace

std::optional<PlanKind> PlanOf(QStringView name)
{
    const char16_t* const names[] = {u"update-2", u"update-1", u"update-both", u"mirror-2", u"mirror-1"};
    for (size_t i = 0; i < std::size(names); ++i)
        if (name == QStringView(names[i]))
            return PlanKind(i);
    return std::nullopt;
}

std::vector<SyncAction> MakePlan(const std::vector<CmprResult::Pair>& pairs, PlanKind plan)
{
    std::vector<SyncAction> out;
    for (const CmprResult::Pair& p : pairs)
        if (auto a = ActionFor(p, plan))
            out.push_back(std::move(*a));
    return out;
}

QString ActionWord(SyncAction::Kind k)
{
    return k == SyncAction::Copy      ? QStringLiteral("copy")
           : k == SyncAction::Replace ? QStringLiteral("replace")
                                      : QStringLiteral("trash");
}

QString RowKey(const QString& folder, const QString& name)
{
    return FoldName(folder.isEmpty() ? name : folder + QLatin1Char('/') + name);
}

QString RowKey(const CmprResult::Pair& p)
{
    return p.name1.isEmpty() ? RowKey(p.folder2, p.name2) : RowKey(p.folder1, p.name1);
}

std::vector<SyncAction> MakeRowPlan(const std::vector<CmprResult::Pair>& pairs, const QStringList& keys, RowAct act)
{
    const QSet<QString> chosen(keys.begin(), keys.end());
    std::vector<SyncAction> out;
    for (const CmprResult::Pair& p : pairs) {
        const bool has1 = !p.name1.isEmpty(), has2 = !p.name2.isEmpty();
        if (!chosen.contains(RowKey(p)))
            continue;
        switch (act) {
        case RowAct::CopyTo2:
            if (has1)
                out.push_back(Act(has2 ? SyncAction::Replace : SyncAction::Copy, 2, p));
            break;
        case RowAct::CopyTo1:
            if (has2)
                out.push_back(Act(has1 ? SyncAction::Replace : SyncAction::Copy, 1, p));
            break;
        case RowAct::Trash1:
            if (has1)
                out.push_back(Act(SyncAction::Trash, 1, p));
            break;
        case RowAct::Trash2:
            if (has2)
                out.push_back(Act(SyncAction::Trash, 2, p));
            break;
        }
    }
    return out;
}
