#pragma once
// The window's command line beside the launch file: --help and --version,
// or one or two folders to open the panes at (two start a comparison).
#include <QStringList>

class Fso;

struct StartArgs {
    bool help = false, version = false;
    // The folders named, one or two, by position: each argument's exact
    // bytes made absolute; empty when none is named. A named folder that is
    // missing or not a folder is left empty here and said in `errors`.
    QStringList folders;
    QStringList errors;
};

// The arguments after the program's name, relative paths taken from the
// folder `current`. Arguments that together name a file are the launch
// file, not folders; more than two are ignored, as the window has always
// ignored what is not a launch file.
StartArgs ReadStartArgs(const QStringList& args, const Fso& fs, const QString& current);
// The text of FldCmpr --help.
const char* StartHelp();
