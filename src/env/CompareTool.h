#pragma once
// The external compare command: a command line with %1 and %2 for the two
// files, split into words as a shell splits them. When the settings name
// none, the first of the usual two-file compare programs found on PATH is
// used.
#include <QString>
#include <QStringList>

// A command that can be run, and the program's name as captions show it.
struct CompareTool {
    QString cmdLine; // with %1 and %2; empty: none set and none found
    QString name;    // "meld"
    bool automatic = false;
    bool Usable() const { return !cmdLine.isEmpty(); }
};

// The folders of the PATH variable as it is now.
QStringList SearchPath();
// The names of the usual compare programs, in the order they are looked for.
QStringList KnownToolNames();
// The full path of a program: a name is looked for in `dirs`, a word
// holding '/' is taken as a path; empty when it is not an executable file.
QString FindProgram(const QString& program, const QStringList& dirs);
// The first usual compare program found in `dirs`, its full path quoted.
CompareTool FindCompareTool(const QStringList& dirs);
// The tool a command line of the settings stands for: the line itself when
// it is set, otherwise the first usual program found in `dirs`.
CompareTool ToolFor(const QString& cmdLine, const QStringList& dirs);
// The compare command as program and arguments, %1 and %2 replaced by the
// paths; empty when no command is set.
QStringList CompareCommand(const QString& cmdLine, const QString& p1, const QString& p2);
// Why a command line typed by the user cannot be used (a quote not closed,
// %1 or %2 missing, the program not found in `dirs` or as a path); empty
// text when it can, and for an empty line (the automatic choice).
QString CheckCompareCommand(const QString& cmdLine, const QStringList& dirs);
// What to tell the user when no command is set and none of the usual
// programs was found.
QString NoCompareToolText();
