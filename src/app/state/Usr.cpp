#include "app/state/Usr.h"

#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"
#include "env/yIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& ProgramFolderOverride()
{
    static QString f;
    return f;
}
} // namespace

namespace Usr {

Fso& ChkFso()
{
    if (!oFso)
        oFso = std::make_unique<Fso>();
    return *oFso;
}

yIni& Ini()
{
    if (!oIni) {
        SetIniHost(); // the settings object works with this program's places
        oIni = std::make_unique<yIni>();
    }
    return *oIni;
}

void ReleaseShared()
{
    oFso.reset();
    oIni.reset();
}

void SetIniHost()
{
    yIni::SetHost({.programFolder = &ProgramFolder,
                   .userDataFolder = &UserDataFolder,
                   .fso = &ChkFso,
                   .prgNm = &sPrgNm,
                   .appFld = &sAppFld,
                   .usrFld = &sUsrFld});
}

QString ProgramBaseName(const QString& exeBaseName)
{
    if (exeBaseName.right(3).toLower() == QLatin1String("_dv"))
        return exeBaseName.left(exeBaseName.size() - 3);
    return exeBaseName;
}

namespace {
bool WritableFolder(const QString& path)
{
    const QFileInfo f(path);
    return f.isDir() && f.isWritable();
}

// A per-user base folder: the XDG variable's folder (its bytes as they
// are) where it is absolute, else the default below the home folder.
QString PerUserBase([[maybe_unused]] QStandardPaths::StandardLocation where, [[maybe_unused]] const char* variable,
                    [[maybe_unused]] const char* belowHome)
{
#ifdef Q_OS_WIN
    return WithTrailingSep(QDir::toNativeSeparators(QStandardPaths::writableLocation(where)));
#else
    const QByteArray xdg = qgetenv(variable);
    if (xdg.startsWith('/'))
        return WithTrailingSep(DecodeName(xdg));
    return WithTrailingSep(HomeFolder()) + QLatin1String(belowHome);
#endif
}

// The base of per-user data: $XDG_DATA_HOME, or ~/.local/share.
QString PerUserData() { return PerUserBase(QStandardPaths::GenericDataLocation, "XDG_DATA_HOME", ".local/share/"); }

// The base of per-user caches: $XDG_CACHE_HOME, or ~/.cache.
QString PerUserCache() { return PerUserBase(QStandardPaths::GenericCacheLocation, "XDG_CACHE_HOME", ".cache/"); }
} // namespace

bool PortableUse()
{
    const QString prg = ProgramFolder();
    const QString beside = prg + QStringLiteral("usData") + PathSep();
    // installed: the desktop entry lies in the prefix beside the programs
    const bool installed = QFileInfo::exists(prg + QStringLiteral("../share/applications/jp.example.fldcmpr.desktop"));
    return !installed && (WritableFolder(beside) || (!QFileInfo::exists(beside) && WritableFolder(prg)));
}

QString UserDataFolder()
{
    const QChar sep = PathSep();
    if (PortableUse())
        return ProgramFolder() + QStringLiteral("usData") + sep; // the data travels with the program
    return PerUserData() + QStringLiteral("FldCmpr") + sep + QStringLiteral("usData") + sep;
}

QString DigestCacheFile()
{
    const QChar sep = PathSep();
    if (PortableUse())
        return ProgramFolder() + QStringLiteral("usCache") + sep + QStringLiteral("digests");
    return PerUserCache() + QStringLiteral("FldCmpr") + sep + QStringLiteral("digests");
}

QString FirstStartFolder() { return PortableUse() ? QString() : HomeFolder(); }

QString ProgramFolder()
{
    if (!ProgramFolderOverride().isEmpty())
        return ProgramFolderOverride();
    return WithTrailingSep(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

void SetProgramFolder(const QString& folder)
{
    ProgramFolderOverride() = folder.isEmpty() ? folder : WithTrailingSep(folder);
}

QString ArgText(const QStringList& args) { return args.mid(1).join(QLatin1Char(' ')); }

void ReadLaunchArg(const QString& arg)
{
    if (arg.isEmpty() || !ChkFso().FileExists(arg))
        return;
    try {
        tLnch = ReadLaunchFile(arg);
        bLnch = LaunchRecordUsable(tLnch);
    } catch (const FcError& e) {
        Dlg().MsgBox(e.message());
    }
}

void CutTail(QString& s, const QString& tail)
{
    if (!tail.isEmpty() && s.endsWith(tail))
        s.chop(tail.size());
}

void ExpFld(const QString& path) { Ini().W_ExpFd(path, false); }

void BrwsFld(QString& sPath, qint32& nFlg)
{
    if (!sPath.isEmpty() && !ChkFso().FolderExists(sPath))
        sPath.clear();
    if (nFlg == 0)
        nFlg = 64;
    sPath = Dlg().BrowseFolder(QStringLiteral("ﾌｫﾙﾀﾞの指定"), sPath);
}

} // namespace Usr
