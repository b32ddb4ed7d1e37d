#include "cli/SyncCli.h"

#include "compare/act/SyncRun.h"
#include "compare/rows/RowFormat.h"
#include "env/NameBytes.h"

#include <csignal>
#include <cstdio>

namespace {
constexpr int kTrouble = 2;

// A line of the plan: copy|replace|trash|mkdir|trash-folder|conflict|move,
// the side, the path, the bytes; a move adds the path it leaves.
QString Line(const SyncAction& a)
{
    QString t = ActionWord(a.kind) + QLatin1Char('\t') + QString::number(a.side) + QLatin1Char('\t');
    AppendTsvText(t, a.Path());
    t += QLatin1Char('\t') + QString::number(a.bytes);
    if (a.kind == SyncAction::Move) {
        t += QLatin1Char('\t');
        AppendTsvText(t, a.SrcPath());
    }
    return t + QLatin1Char('\n');
}

void Put(std::FILE* to, const QString& text) { std::fputs(text.toUtf8().constData(), to); }

void Warn(const QString& text) { Put(stderr, QStringLiteral("fldcmpr-cli: ") + ShownName(text) + QLatin1Char('\n')); }

// The signal that stopped the run, and the flag it sets.
std::atomic<bool>* g_stop = nullptr;
volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnSignal(int sig)
{
    g_signal = sig;
    if (g_stop)
        g_stop->store(true, std::memory_order_relaxed);
}

// While it lives, SIGINT, SIGTERM and SIGHUP stop the plan like 中止.
class StopOnSignals {
public:
    explicit StopOnSignals(CmprObserver& obs)
    {
        g_stop = &obs.stop;
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        for (int i = 0; i < 3; ++i)
            ::sigaction(kSignals[i], &sa, &m_old[i]);
    }
    ~StopOnSignals()
    {
        for (int i = 0; i < 3; ++i)
            ::sigaction(kSignals[i], &m_old[i], nullptr);
        g_stop = nullptr;
    }

private:
    static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_old[3];
};

// What was held back for paths that could not be read, on standard error.
void ReportHeld(const SyncPlan& plan)
{
    for (const auto& [side, path] : plan.unread)
        Warn(
            QStringLiteral("ﾌｫﾙﾀﾞ%1 の読めなかった所の下は、もう一方の側でごみ箱へ移すことも置き換えることもしません: ")
                .arg(side) +
            path);
    for (const SyncAction& a : plan.held)
        Warn(QStringLiteral("読めなかった所があるため行いません: ") + Line(a).trimmed());
}

int Apply(const SyncPlan& plan)
{
    CmprObserver obs;
    // until the last line is out, a signal ends the run with its status
    // rather than the process in the middle of the report
    StopOnSignals stopOnSignals(obs);
    const std::vector<SyncOutcome> out = ApplyPlan(plan, obs);
    int status = plan.unread.empty() ? 0 : kTrouble;
    for (size_t i = 0; i < plan.actions.size(); ++i) {
        const SyncOutcome& o = out[i];
        if (o.state == SyncOutcome::Done) {
            Put(stdout, Line(plan.actions[i]));
            if (!o.note.isEmpty())
                Warn(o.note + QStringLiteral(": ") + Line(plan.actions[i]).trimmed());
            continue;
        }
        status = kTrouble;
        const QString what = o.state == SyncOutcome::Conflict  ? QStringLiteral("行いません")
                             : o.state == SyncOutcome::NotDone ? QStringLiteral("中止したため行いません")
                                                               : QStringLiteral("できませんでした");
        Warn(what + QStringLiteral(": ") + Line(plan.actions[i]).trimmed() + QStringLiteral(" (") + o.reason +
             QLatin1Char(')'));
    }
    if (std::fflush(stdout) != 0)
        return kTrouble;
    return g_signal ? 128 + int(g_signal) : status;
}
} // namespace

int RunSync(const SyncSettings& s, const CmprResult& r)
{
    const SyncPlan plan = MakePlan(r, s.plan, s.rule);
    if (!plan.refused.isEmpty()) {
        Warn(plan.refused + QStringLiteral(": ﾌｫﾙﾀﾞを揃えることはできません"));
        return kTrouble;
    }
    ReportHeld(plan);
    if (s.apply)
        return Apply(plan);
    for (const SyncAction& a : plan.actions)
        Put(stdout, Line(a));
    if (std::fflush(stdout) != 0 || !plan.unread.empty())
        return kTrouble;
    return plan.actions.empty() ? 0 : 1;
}
