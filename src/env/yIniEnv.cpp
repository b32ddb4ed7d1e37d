#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/PathRules.h"
#include "env/Shortcut.h"
#include "env/yIni.h"

#include <QStandardPaths>

namespace {
// The maker's help pages; the page name is appended.
const QString kHelpBase = QStringLiteral("https://fldcmpr.example.jp/help/");

#ifdef Q_OS_WIN
const QString kExeSuffix = QStringLiteral(".exe");
#else
const QString kExeSuffix;
#endif

// System special-folder identifiers and the standard locations they map to.
struct SpFld {
    qint32 id;
    QStandardPaths::StandardLocation loc;
};
const SpFld kSpecial[] = {
    {0x0000, QStandardPaths::DesktopLocation},       // desktop
    {0x0002, QStandardPaths::ApplicationsLocation},  // programs
    {0x0005, QStandardPaths::DocumentsLocation},     // personal
    {0x0009, QStandardPaths::ApplicationsLocation},  // send to
    {0x000d, QStandardPaths::MusicLocation},         // my music
    {0x000e, QStandardPaths::MoviesLocation},        // my video
    {0x0010, QStandardPaths::DesktopLocation},       // desktop directory
    {0x0014, QStandardPaths::FontsLocation},         // fonts
    {0x001a, QStandardPaths::GenericConfigLocation}, // application data
    {0x001c, QStandardPaths::GenericDataLocation},   // local application data
    {0x0020, QStandardPaths::CacheLocation},         // internet cache
    {0x0027, QStandardPaths::PicturesLocation},      // my pictures
    {0x0028, QStandardPaths::HomeLocation},          // profile
};

IniHost& TheHost()
{
    static IniHost h;
    return h;
}
} // namespace

void yIni::SetHost(const IniHost& host) { TheHost() = host; }

const IniHost& yIni::Host() { return TheHost(); }

void yIni::W_UserData(quintptr nWhnd)
{
    nOwner = nWhnd;
    const IniHost& h = Host();
    QString prg = h.programFolder();
    QChar sep = PathSep();
    *h.appFld = prg + QStringLiteral("apData") + sep;
    *h.usrFld = h.userDataFolder();
    if (!h.fso().FolderExists(*h.usrFld))
        F_CreateFld(*h.usrFld);
}

void yIni::F_CreateFld(const QString& sFd)
{
    Fso& fs = Host().fso();
    if (fs.FolderExists(sFd))
        return;
    for (const QString& level : IniText::FolderChain(sFd, PathSep())) {
        try {
            if (!fs.FolderExists(level))
                fs.CreateFolder(level);
        } catch (const FcError&) {
            // a level that cannot be made is passed over; the next may exist
        }
    }
}

void yIni::F_ChkSb(const QString& sPh, const QStringList& Ary)
{
    Fso& fs = Host().fso();
    for (const QString& name : Ary) {
        QString path = sPh + name;
        if (!fs.FolderExists(path))
            fs.CreateFolder(path);
    }
}

QString yIni::FsGtSpFld(qint32 nFlg)
{
    for (const SpFld& sp : kSpecial) {
        if (sp.id == nFlg)
            return StripTrailingSep(QStandardPaths::writableLocation(sp.loc));
    }
    return QString();
}

void yIni::W_Help(const QString& sJob)
{
    QString link = *Host().usrFld + *Host().prgNm + QStringLiteral("_help.lnk");
    SaveShortcut(link, kHelpBase + IniText::HelpPage(sJob));
    Usr::Dlg().ShellExecute(QStringLiteral("open"), ShortcutFile(link));
}

void yIni::W_HtmView(const QString& sUrl)
{
    QString link = *Host().usrFld + QStringLiteral("Wrk") + PathSep() + QStringLiteral("htm_view.lnk");
    SaveShortcut(link, sUrl);
    Usr::Dlg().ShellExecute(QStringLiteral("open"), ShortcutFile(link));
}

void yIni::W_SendTo()
{
    QString sendTo = FsGtSpFld(9);
    const IniHost& h = Host();
    QString prg = h.programFolder();
    QString exe = prg + *h.prgNm + kExeSuffix;
    SaveShortcut(sendTo + PathSep() + *h.prgNm + QStringLiteral(".lnk"), exe);
    Usr::Dlg().MsgBox(exe + QStringLiteral(" のｼｮｰﾄｶｯﾄを ") + sendTo + QStringLiteral(" に作成しました"));
}

void yIni::W_ExpFd(const QString& sFld, bool bOpn)
{
    if (sFld.isEmpty())
        return;
    if (bOpn) {
        Usr::Dlg().ShellExecute(QStringLiteral("open"), sFld);
        return;
    }
    if (Host().fso().FolderExists(sFld))
        Usr::Dlg().ShellExecute(QStringLiteral("explore"), sFld);
}
