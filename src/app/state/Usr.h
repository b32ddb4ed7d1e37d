#pragma once
// Program-wide state and the small helpers every part uses.
#include "app/state/LaunchRecord.h"
#include "env/Fso.h"

#include <QString>
#include <memory>

#include "env/yIni.h"

namespace Usr {

inline QString sPrgNm;       // program base name
inline QString sUsrFld;      // user data folder, ends with the separator
inline QString sAppFld;      // application data folder, computed only
inline LaunchRecord tLnch;   // launch record
inline bool bLnch = false;   // launch record read and usable
inline bool bLdMain = false; // main window loaded
inline bool bTrBusy = false; // tree-busy flag
inline std::unique_ptr<Fso> oFso;
inline std::unique_ptr<yIni> oIni;

// Makes sure the shared file-system service exists and returns it.
Fso& ChkFso();
// The shared settings object, created on first use.
yIni& Ini();
// Releases the shared objects (program end and tests).
void ReleaseShared();
// Hands yIni the program's folder and name, its data folders and the shared
// file-system service: done at start by the window, the CLI and the tests.
void SetIniHost();

// Executable base name without a trailing "_dv" (any case).
QString ProgramBaseName(const QString& exeBaseName);
// The program's own folder, ending with the separator. Tests may point it
// at a temporary folder with SetProgramFolder.
QString ProgramFolder();
// Where the user data folder is: usData beside the program when that can
// be written and the program is not installed (portable use), otherwise
// FldCmpr/usData in the per-user data folder ($XDG_DATA_HOME, by default
// ~/.local/share). Ends with the separator.
QString UserDataFolder();
// Whether the data is kept beside the program (the rule above).
bool PortableUse();
// The file of the content digests kept between runs: usCache/digests beside
// the program in portable use, otherwise FldCmpr/digests in the per-user
// cache folder ($XDG_CACHE_HOME, by default ~/.cache).
QString DigestCacheFile();
// Where the folder panes open when the settings name no folder: the home
// folder for an installed program; empty for a portable one, whose panes
// then open at its data folder.
QString FirstStartFolder();
void SetProgramFolder(const QString& folder);
// The command-line arguments as one text, joined with single spaces.
QString ArgText(const QStringList& args);
// Reads the launch file named by the argument text, if one exists; a file
// that cannot be read is reported and ignored.
void ReadLaunchArg(const QString& arg);

// Removes `tail` from the end of `s` when it is there (exact comparison).
void CutTail(QString& s, const QString& tail);
// Opens a folder in the file manager when it exists.
void ExpFld(const QString& path);
// Folder browse dialog: sPath in is the initial folder, out the chosen one
// (empty on cancel); nFlg 0 is handed back as 64.
void BrwsFld(QString& sPath, qint32& nFlg);

} // namespace Usr
