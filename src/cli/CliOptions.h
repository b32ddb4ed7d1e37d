#pragma once
// The command line of fldcmpr-cli: what it asks for, and its help.
#include "cli/PrintSettings.h"
#include "compare/act/SyncPlan.h"
#include "compare/engine/CmprRule.h"
#include "compare/engine/Walker.h"
#include "compare/rows/DispMode.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

struct CliOptions {
    DispMode mode = DispMode::All;
    OutFormat format = OutFormat::Tsv;
    QString db;           // a store to write
    bool store = false;   // write the program's own store (the window's)
    bool noStore = false; // accepted, as it always was: no store is the default
    // Whether a store is written: only when asked for.
    bool Stores() const { return store || !db.isEmpty(); }
    bool header = false, bytes = false, bom = false;
    bool summary = false, quiet = false;
    bool help = false, version = false;
    CmprRule rule;
    bool noCache = false;         // contents read whole, the digest cache neither read nor written
    WalkOptions walk;             // readers per side
    QStringList exclude, include; // pattern lists as given
    QStringList excludeFrom;      // files of exclusion patterns, one a line
    std::optional<PlanKind> sync; // a plan to print or carry out; none: the rows
    bool apply = false;           // carry the plan out
    bool Filtered() const { return !exclude.isEmpty() || !include.isEmpty() || !excludeFrom.isEmpty(); }
    QStringList folders;
};

// A command line that cannot be run: exit status 2 with a usage hint.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// An option of the command line: its names, its value, what it sets, and
// its lines in --help.
struct CliOption {
    const char* names[2]; // as the help lists them: "-q", "--quiet"; the second may be null
    const char* value;    // the value's name in the help ("0|1|2"); null for an option without one
    void (*set)(CliOptions& o, const QString& value); // null for "--", which ends the options
    const char* help; // lines separated by \n; an empty first line puts the text below the names
    // "-q, --quiet", "--mode 0|1|2"
    std::string Label() const;
};
// Every option, in the order of --help.
std::span<const CliOption> CliOptionTable();

// The arguments after the program's name. Throws UsageError.
CliOptions ParseCli(const QStringList& args);
// The text of --help, and the line that follows a usage error.
const char* CliHelp();
const char* CliUsageHint();
