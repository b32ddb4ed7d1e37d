// The option table of fldcmpr-cli against its manual page.
#include "cli/CliOptions.h"
#include "support/Files.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {
// The option entries of a manual page: the line after each .TP whose text
// starts with a dash, as the page shows it ("-q, --quiet", "--mode 0|1|2").
std::set<std::string> PageEntries(const QString& page)
{
    std::set<std::string> entries;
    const QStringList lines = page.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QString& line = lines[i + 1];
        if (lines[i] != u".TP" || !line.startsWith(u".B")) // .B .BR .BI
            continue;
        QString shown; // the arguments run together, a quoted one as it is
        bool quoted = false;
        for (QChar c : line.section(QLatin1Char(' '), 1)) {
            if (c == u'"')
                quoted = !quoted;
            else if (c != u' ' || quoted)
                shown += c;
        }
        shown.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        if (shown.startsWith(QLatin1Char('-')))
            entries.insert(shown.toStdString());
    }
    return entries;
}
} // namespace

// Each option of the table has its entry in the manual page, with the
// names and value the help shows, and the page has no other.
TEST(CliOptions, TheManualPageHasAnEntryForEachOption)
{
    std::set<std::string> table;
    for (const CliOption& c : CliOptionTable())
        table.insert(c.Label());
    EXPECT_EQ(table.size(), CliOptionTable().size());
    EXPECT_EQ(PageEntries(ReadUtf8(QStringLiteral(FLDCMPR_MANUAL))), table);
}
