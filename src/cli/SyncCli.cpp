#include "cli/SyncCli.h"

#include "compare/act/SyncRun.h"
#include "compare/rows/RowFormat.h"
#include "env/NameBytes.h"

#include <cstdio>

namespace {
// copy|replace|trash, the side, the path, the bytes: one line.
QString Line(const SyncAction& a)
{
    QString t = ActionWord(a.kind) + QLatin1Char('\t') + QString::number(a.side) + QLatin1Char('\t');
    AppendTsvText(t, a.Path());
    return t + QLatin1Char('\t') + QString::number(a.bytes) + QLatin1Char('\n');
}

void Put(std::FILE* to, const QString& text) { std::fputs(text.toUtf8().constData(), to); }
} // namespace

int RunSync(const CliOptions& o, const CmprResult& r)
{
    const std::vector<SyncAction> plan = MakePlan(r.Pairs(), *PlanOf(o.sync));
    if (!o.apply) {
        for (const SyncAction& a : plan)
            Put(stdout, Line(a));
        return plan.empty() ? 0 : 1;
    }
    CmprObserver quiet;
    const std::vector<SyncOutcome> out = ApplyPlan(plan, r.Folder1(), r.Folder2(), quiet);
    int status = 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (out[i].state == SyncOutcome::Done) {
            Put(stdout, Line(plan[i]));
            continue;
        }
        status = 2;
        const QString what = out[i].state == SyncOutcome::Conflict ? QStringLiteral("比較の後に変わったため行いません")
                                                                   : QStringLiteral("できませんでした");
        Put(stderr, QStringLiteral("fldcmpr-cli: ") + what + QStringLiteral(": ") + ShownName(Line(plan[i]).trimmed()) +
                        QStringLiteral(" (") + out[i].reason + QStringLiteral(")\n"));
    }
    return std::fflush(stdout) == 0 ? status : 2;
}
