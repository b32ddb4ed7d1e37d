#include "app/Usr.h"

#include "env/Error.h"
#include "env/PathRules.h"
#include "env/yIni.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QDir>

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
    if (!oIni)
        oIni = std::make_unique<yIni>();
    return *oIni;
}

void ReleaseShared()
{
    oFso.reset();
    oIni.reset();
}

QString ProgramBaseName(const QString& exeBaseName)
{
    if (exeBaseName.right(3).toLower() == QLatin1String("_dv"))
        return exeBaseName.left(exeBaseName.size() - 3);
    return exeBaseName;
}

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
