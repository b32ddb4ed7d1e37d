#include "compare/act/SyncPlan.h"

#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QDir>
#include <QSet>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {
constexpr qint64 kSecond = 1000000000;

using Pair = CmprResult::Pair;

// The step of a volume's clock in ns: FAT and exFAT keep 2 s.
qint64 TimeStep(const QString& root)
{
    struct statfs fs;
    if (::statfs(EncodeName(OpenPath(root)).constData(), &fs) != 0)
        return 1;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type == 0x4d44 || type == 0x2011BAB0 ? 2 * kSecond : 1;
}

qint64 MtimeNs(const FileStamp& s, qint64 mtime) { return s.ino != 0 || s.mtimeNs != 0 ? s.mtimeNs : mtime * kSecond; }

// How a plan sees a pair present on both sides.
enum class Order { Same, Newer1, Newer2, Differ };

struct Clock {
    qint64 step;
    CmprRule::Tolerance tol;
    bool byContent; // equal bytes are the same file whatever the times
    Order Of(const Pair& p) const
    {
        if (byContent && p.cd == CmprCode::Same)
            return Order::Same;
        const qint64 t1 = MtimeNs(p.stamp1, p.mtime1), t2 = MtimeNs(p.stamp2, p.mtime2);
        if (TimesAgree(t1, t2, step, tol))
            return p.size1 == p.size2 && p.cd != CmprCode::Differ ? Order::Same : Order::Differ;
        return t1 > t2 ? Order::Newer1 : Order::Newer2;
    }
};

int Other(int side) { return 3 - side; }

// Each side's folders by their key regardless of case and composition,
// spelled as that side spells them.
struct Spellings {
    QHash<QString, QString> byKey[3];
    // A path from the compared folder as side `side` spells it: the longest
    // leading folders that exist there in that side's spelling, the rest as
    // given.
    QString On(int side, const QString& rel) const
    {
        if (rel.isEmpty())
            return rel;
        for (qsizetype end = rel.size(); end > 0; end = rel.lastIndexOf(QLatin1Char('/'), end - 1)) {
            const auto it = byKey[side].constFind(FoldName(rel.left(end)));
            if (it != byKey[side].constEnd())
                return *it + rel.mid(end);
            if (end == 0)
                break;
        }
        return rel;
    }
};

SyncAction NewAction(SyncAction::Kind kind, int side, const QString& folder, const QString& name)
{
    SyncAction a{};
    a.kind = kind;
    a.side = side;
    a.folder = folder;
    a.name = name;
    return a;
}

SyncAction Act(SyncAction::Kind kind, int side, const Pair& p, const Spellings& sp)
{
    const bool to2 = side == 2;
    SyncAction a = NewAction(kind, side, {}, {});
    if (kind == SyncAction::Trash || kind == SyncAction::Conflict) {
        a.folder = to2 ? p.folder2 : p.folder1;
        a.name = to2 ? p.name2 : p.name1;
        a.bytes = a.dstSize = to2 ? p.size2 : p.size1;
        a.dst = to2 ? p.stamp2 : p.stamp1;
        return a;
    }
    a.srcFolder = to2 ? p.folder1 : p.folder2;
    a.srcName = to2 ? p.name1 : p.name2;
    a.srcSize = a.bytes = to2 ? p.size1 : p.size2;
    a.src = to2 ? p.stamp1 : p.stamp2;
    if (kind == SyncAction::Copy) { // a new file in the folders the other side has, else spelled as its source
        a.folder = sp.On(side, a.srcFolder);
        a.name = a.srcName;
    } else {
        a.folder = to2 ? p.folder2 : p.folder1;
        a.name = to2 ? p.name2 : p.name1;
        a.dstSize = to2 ? p.size2 : p.size1;
        a.dst = to2 ? p.stamp2 : p.stamp1;
        a.olderOverNewer = MtimeNs(a.src, 0) < MtimeNs(a.dst, 0);
    }
    return a;
}

struct Wants {
    const PlanInfo& plan;
    explicit Wants(PlanKind k) : plan(kPlans[size_t(k)]) {}
    bool Copies(int toSide) const { return plan.to == 0 || plan.to == toSide; }
    // The side a mirror makes like the other; 0 for the update plans.
    int Mirrored() const { return plan.mirror ? plan.to : 0; }
};

// A moved file renamed on `side` to the other side's place.
SyncAction MoveOn(int side, const Pair& p, const Spellings& sp)
{
    const bool on2 = side == 2;
    SyncAction a = NewAction(SyncAction::Move, side, sp.On(side, on2 ? p.folder1 : p.folder2), on2 ? p.name1 : p.name2);
    a.srcFolder = on2 ? p.folder2 : p.folder1;
    a.srcName = on2 ? p.name2 : p.name1;
    a.srcSize = on2 ? p.size2 : p.size1;
    a.src = on2 ? p.stamp2 : p.stamp1;
    return a;
}

QString Parent(const QString& rel)
{
    const qsizetype slash = rel.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : rel.left(slash);
}

// When a file's place last changed: its own change time (renaming it sets
// that) or that of a folder it lies in below the compared folder (renaming
// a folder leaves the times of the files in it as they were).
qint64 PlaceChanged(const FileStamp& file, const QString& folder, const QHash<QString, FileStamp>& folders)
{
    qint64 t = file.ctimeNs;
    for (QString f = folder; !f.isEmpty(); f = Parent(f))
        t = std::max(t, folders.value(f).ctimeNs);
    return t;
}

// The side a plan moves a moved file on: the side it changes, or for both
// sides the one whose place changed longer ago.
int MovedSide(const Pair& p, const Wants& w, const SyncPlan& plan)
{
    if (w.plan.to != 0)
        return w.plan.to;
    const qint64 t1 = PlaceChanged(p.stamp1, p.folder1, plan.folders[1]);
    return PlaceChanged(p.stamp2, p.folder2, plan.folders[2]) > t1 ? 1 : 2;
}

// Whether a move stays on one volume: the nearest folder of its new place
// that the comparison saw lies on the file's device (across a mount point
// the rename would be refused on every run).
bool OnOneVolume(const SyncAction& m, const SyncPlan& plan)
{
    for (QString f = m.folder;; f = Parent(f)) {
        const auto it = plan.folders[m.side].constFind(f);
        if (it != plan.folders[m.side].constEnd())
            return it->dev == 0 || m.src.dev == 0 || it->dev == m.src.dev;
        if (f.isEmpty())
            return true;
    }
}

// The pairs a plan acts on for one row: a moved file that cannot be moved
// on one volume is acted on as the two one-sided files it was.
std::vector<Pair> Acted(const Pair& p, const Wants& w, const Spellings& sp, const SyncPlan& plan)
{
    if (p.cd != CmprCode::Moved || OnOneVolume(MoveOn(MovedSide(p, w, plan), p, sp), plan))
        return {p};
    Pair one = p, two = p;
    one.cd = CmprCode::Only1;
    one.folder2 = one.name2 = QString();
    one.size2 = one.mtime2 = 0;
    one.stamp2 = {};
    two.cd = CmprCode::Only2;
    two.folder1 = two.name1 = QString();
    two.size1 = two.mtime1 = 0;
    two.stamp1 = {};
    return {one, two};
}

// The action a plan takes on one pair, if any.
std::optional<SyncAction> ActionFor(const Pair& p, const Wants& w, const Clock& clock, const Spellings& sp,
                                    const SyncPlan& plan)
{
    using A = SyncAction;
    if (p.cd == CmprCode::Moved)
        return MoveOn(MovedSide(p, w, plan), p, sp);
    const bool has1 = !p.name1.isEmpty(), has2 = !p.name2.isEmpty();
    if (!has2)
        return w.Copies(2) ? Act(A::Copy, 2, p, sp) : w.Mirrored() == 1 ? Act(A::Trash, 1, p, sp) : std::optional<A>();
    if (!has1)
        return w.Copies(1) ? Act(A::Copy, 1, p, sp) : w.Mirrored() == 2 ? Act(A::Trash, 2, p, sp) : std::optional<A>();
    switch (clock.Of(p)) {
    case Order::Same: return std::nullopt;
    case Order::Differ: // made like the other side by a mirror; a conflict otherwise
        if (w.Mirrored())
            return Act(A::Replace, w.Mirrored(), p, sp);
        return Act(A::Conflict, w.plan.to == 1 ? 1 : 2, p, sp);
    case Order::Newer1:
        return w.Copies(2)         ? Act(A::Replace, 2, p, sp)
               : w.Mirrored() == 1 ? Act(A::Replace, 1, p, sp)
                                   : std::optional<A>();
    case Order::Newer2:
        return w.Copies(1)         ? Act(A::Replace, 1, p, sp)
               : w.Mirrored() == 2 ? Act(A::Replace, 2, p, sp)
                                   : std::optional<A>();
    }
    return std::nullopt;
}

QString LastName(const QString& rel) { return rel.mid(rel.lastIndexOf(QLatin1Char('/')) + 1); }

// Whether `path` is `top` or below it, regardless of case and composition.
bool AtOrBelow(const QString& path, const QString& top)
{
    if (top.isEmpty())
        return true;
    const QString p = FoldName(path), t = FoldName(top);
    return p == t || (p.startsWith(t) && p.at(t.size()) == QLatin1Char('/'));
}

// Whether a path of one side lies below a folder of the same side.
bool Below(const QString& path, const QString& top)
{
    return path.size() > top.size() && path.startsWith(top) && path.at(top.size()) == QLatin1Char('/');
}

// Why the walks met the same folder on both sides (a link or a mount in one
// leading into the other): acting would change the source itself.
QString SharedFolders(const CmprResult& r)
{
    QSet<QPair<quint64, quint64>> one;
    for (const FileStamp& s : r.WalkOf(1).folderStamps)
        one.insert({s.dev, s.ino});
    for (size_t i = 0; i < r.WalkOf(2).folderStamps.size(); ++i) {
        const FileStamp& s = r.WalkOf(2).folderStamps[i];
        if (s.ino != 0 && one.contains({s.dev, s.ino}))
            return QStringLiteral("ﾌｫﾙﾀﾞ2の中の「") + r.WalkOf(2).folders[i] +
                   QStringLiteral("」がﾌｫﾙﾀﾞ1の中のﾌｫﾙﾀﾞと同じです (ﾘﾝｸかﾏｳﾝﾄ)");
    }
    return {};
}

// The plan's frame: absolute roots, each side's folders and what could not
// be read, and whether acting is allowed at all.
SyncPlan Frame(const CmprResult& r, Spellings& sp)
{
    SyncPlan plan;
    plan.root1 = AbsolutePath(r.Folder1(), CurrentFolder());
    plan.root2 = AbsolutePath(r.Folder2(), CurrentFolder());
    plan.refused = NestedFolders(plan.root1, plan.root2);
    for (int side : {1, 2}) {
        const WalkResult& w = r.WalkOf(side);
        for (size_t i = 0; i < w.folders.size(); ++i) {
            plan.folders[side].insert(w.folders[i], i < w.folderStamps.size() ? w.folderStamps[i] : FileStamp{});
            if (!w.folders[i].isEmpty())
                sp.byKey[side].insert(FoldName(w.folders[i]), w.folders[i]);
        }
    }
    if (plan.refused.isEmpty())
        plan.refused = SharedFolders(r);
    const QString top1 = WithTrailingSep(r.Folder1());
    for (const WalkSkip& s : r.Skipped()) {
        const int side = s.path.startsWith(top1) || s.path == r.Folder1() ? 1 : 2;
        plan.unread.push_back({side, RelPath(s.path, side == 1 ? r.Folder1() : r.Folder2())});
    }
    return plan;
}

// Actions that would trash, replace or move away something below a path
// the other side could not read are held back.
void HoldUnread(SyncPlan& plan)
{
    if (plan.unread.empty())
        return;
    std::vector<SyncAction> kept;
    for (SyncAction& a : plan.actions) {
        bool held = false;
        if (a.kind == SyncAction::Replace || a.kind == SyncAction::Trash || a.kind == SyncAction::TrashFolder)
            for (const auto& [side, path] : plan.unread)
                held = held || (side == Other(a.side) && AtOrBelow(a.Path(), path));
        if (a.kind == SyncAction::Move) // its old place goes: the other side may have it there, unread
            for (const auto& [side, path] : plan.unread)
                held = held || (side == Other(a.side) && (AtOrBelow(a.SrcPath(), path) || AtOrBelow(a.Path(), path)));
        (held ? plan.held : kept).push_back(std::move(a));
    }
    plan.actions = std::move(kept);
}

// Folders only on side `from`, in walk order (a folder before those below it).
std::vector<QString> OneSided(const CmprResult& r, int from, const Spellings& sp)
{
    std::vector<QString> out;
    for (const QString& f : r.WalkOf(from).folders)
        if (!f.isEmpty() && !sp.byKey[Other(from)].contains(FoldName(f)))
            out.push_back(f);
    return out;
}

// The copying plans make the folders only the source side has.
void MakeFolders(const CmprResult& r, int to, const Spellings& sp, SyncPlan& plan)
{
    for (const QString& f : OneSided(r, Other(to), sp)) {
        const QString at = sp.On(to, f);
        SyncAction a = NewAction(SyncAction::MakeFolder, to, Parent(at), LastName(at));
        a.srcFolder = Parent(f);
        a.srcName = LastName(f);
        plan.actions.push_back(std::move(a));
    }
}

// A mirror moves a folder only the made side has to the trash whole, the
// files below it taken into that one action.
void TrashFolders(const CmprResult& r, int side, const Spellings& sp, SyncPlan& plan)
{
    std::vector<SyncAction> tops;
    for (const QString& f : OneSided(r, side, sp)) {
        if (!tops.empty() && Below(f, tops.back().Path())) {
            tops.back().below.push_back(
                {EncodeName(f.mid(tops.back().Path().size() + 1)), true, 0, plan.folders[side][f]});
            continue;
        }
        SyncAction a = NewAction(SyncAction::TrashFolder, side, Parent(f), LastName(f));
        a.dst = plan.folders[side].value(f);
        tops.push_back(std::move(a));
    }
    if (tops.empty())
        return;
    std::vector<SyncAction> kept;
    for (SyncAction& a : plan.actions) {
        auto top = std::find_if(tops.begin(), tops.end(), [&](const SyncAction& t) {
            return a.kind == SyncAction::Trash && a.side == side && (a.folder == t.Path() || Below(a.folder, t.Path()));
        });
        if (top == tops.end()) {
            kept.push_back(std::move(a));
            continue;
        }
        top->bytes += a.bytes;
        top->below.push_back({EncodeName(a.Path().mid(top->Path().size() + 1)), false, a.dstSize, a.dst});
    }
    plan.actions = std::move(kept);
    for (SyncAction& t : tops)
        plan.actions.push_back(std::move(t));
}
} // namespace

bool TimesAgree(qint64 t1, qint64 t2, qint64 step, CmprRule::Tolerance tol)
{
    const qint64 d = t1 > t2 ? t1 - t2 : t2 - t1;
    if (d == 0 || d < step)
        return true;
    return WithinTolerance(t1 / kSecond, t2 / kSecond, tol);
}

QString NestedFolders(const QString& root1, const QString& root2)
{
    auto real = [](const QString& p) {
        char* r = ::realpath(EncodeName(OpenPath(p)).constData(), nullptr);
        const QString out = r ? DecodeName(r) : p;
        std::free(r);
        return out;
    };
    const QString a = WithTrailingSep(real(root1)), b = WithTrailingSep(real(root2));
    struct stat s1, s2;
    const bool same = a == b || (::stat(EncodeName(OpenPath(root1)).constData(), &s1) == 0 &&
                                 ::stat(EncodeName(OpenPath(root2)).constData(), &s2) == 0 && s1.st_dev == s2.st_dev &&
                                 s1.st_ino == s2.st_ino);
    if (same)
        return QStringLiteral("ﾌｫﾙﾀﾞ1とﾌｫﾙﾀﾞ2が同じﾌｫﾙﾀﾞです");
    if (b.startsWith(a))
        return QStringLiteral("ﾌｫﾙﾀﾞ2がﾌｫﾙﾀﾞ1の中にあります");
    if (a.startsWith(b))
        return QStringLiteral("ﾌｫﾙﾀﾞ1がﾌｫﾙﾀﾞ2の中にあります");
    return {};
}

qint64 SyncPlan::Conflicts() const
{
    return std::count_if(actions.begin(), actions.end(),
                         [](const SyncAction& a) { return a.kind == SyncAction::Conflict; });
}

std::optional<PlanKind> PlanOf(QStringView name)
{
    for (const PlanInfo& p : kPlans)
        if (name == QStringView(p.name))
            return p.kind;
    return std::nullopt;
}

SyncPlan MakePlan(const CmprResult& r, PlanKind kind, const CmprRule& rule)
{
    Spellings sp;
    SyncPlan plan = Frame(r, sp);
    const Wants w(kind);
    const Clock clock{std::max(TimeStep(plan.root1), TimeStep(plan.root2)), rule.tolerance,
                      rule.criterion == CmprRule::ContentOnly};
    for (int to : {2, 1})
        if (w.Copies(to))
            MakeFolders(r, to, sp, plan);
    for (const Pair& row : r.Pairs())
        for (const Pair& p : Acted(row, w, sp, plan))
            if (auto a = ActionFor(p, w, clock, sp, plan))
                plan.actions.push_back(std::move(*a));
    if (w.Mirrored())
        TrashFolders(r, w.Mirrored(), sp, plan);
    HoldUnread(plan);
    return plan;
}

QString ActionWord(SyncAction::Kind k) { return QString::fromUtf16(kActionKinds[size_t(k)].word); }

QString RowKey(const QString& folder, const QString& name)
{
    return FoldName(folder.isEmpty() ? name : folder + QLatin1Char('/') + name);
}

QString RowKey(const Pair& p) { return p.name1.isEmpty() ? RowKey(p.folder2, p.name2) : RowKey(p.folder1, p.name1); }

SyncPlan MakeRowPlan(const CmprResult& r, const QStringList& keys, RowAct act)
{
    Spellings sp;
    SyncPlan plan = Frame(r, sp);
    const QSet<QString> chosen(keys.begin(), keys.end());
    const bool copy = kRowActs[size_t(act)].copy;
    const int side = kRowActs[size_t(act)].side;
    const int from = copy ? Other(side) : side; // the side whose file the row needs
    for (const Pair& p : r.Pairs()) {
        const bool has[3] = {false, !p.name1.isEmpty(), !p.name2.isEmpty()};
        if (!chosen.contains(RowKey(p)) || !has[from])
            continue;
        const auto kind = !copy ? SyncAction::Trash : has[side] ? SyncAction::Replace : SyncAction::Copy;
        plan.actions.push_back(Act(kind, side, p, sp));
    }
    HoldUnread(plan);
    return plan;
}
