#pragma once
// The window's command line beside the launch file: --help and --version,
// or one or two folders to open the panes at (two start a comparison).
#include <QStringList>

class Fso;

struct StartArgs {
    bool help = false, version = false;
    QStringList folders; // existing folders, one or two; empty otherwise
};

// The arguments after the program's name. Anything else is ignored, as the
// window has always ignored what is not a launch file.
StartArgs ReadStartArgs(const QStringList& args, const Fso& fs);
// The text of FldCmpr --help.
const char* StartHelp();
