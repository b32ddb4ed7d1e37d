#pragma once
// The settings file (an XML-looking text found by plain tag search) and the
// program's environment operations: user data folder, folder creation,
// special folders, shortcuts and shell actions.
#include <QString>
#include <QStringList>
#include <QVariant>

class Fso;

// What the environment operations take from the program that runs them: its
// folder and base name, where its data goes and the shared file-system
// service. The program hands them in at start (yIni::SetHost), before any
// yIni is used; W_UserData writes the two data folders back through it.
struct IniHost {
    QString (*programFolder)() = nullptr;  // ends with the separator
    QString (*userDataFolder)() = nullptr; // ends with the separator
    Fso& (*fso)() = nullptr;
    const QString* prgNm = nullptr; // the program's base name, for its shortcuts
    QString* appFld = nullptr;      // application data folder, computed only
    QString* usrFld = nullptr;      // user data folder, ends with the separator
};

class yIni {
public:
    static void SetHost(const IniHost& host);
    static const IniHost& Host();

    // --- settings file ---
    void GetTxt(const QString& sFL, bool& bOk);
    void GetGtx(const QString& sGp);
    QVariant vGtVal(const QString& sKy, const QVariant& vDef);
    void SetVal(const QString& sKy, const QVariant& vVL);
    void SetGtx();
    void SetTxt(bool& bOk);

    const QString& File() const { return sFile; }
    const QString& Text() const { return sTxt; }
    const QString& Section() const { return sGtx; }

    // --- environment ---
    void W_UserData(quintptr nWhnd);
    void F_CreateFld(const QString& sFd);
    void F_ChkSb(const QString& sPh, const QStringList& Ary);
    QString FsGtSpFld(qint32 nFlg);
    void W_Help(const QString& sJob);
    void W_HtmView(const QString& sUrl);
    void W_SendTo();
    void W_ExpFd(const QString& sFld, bool bOpn);
    quintptr Owner() const { return nOwner; }

private:
    QString GtTag(int mode, const QString& name);
    QString MkTag(int mode, const QString& name, const QString& value) const;
    // Says that a section or key is damaged; the first time for a file, a
    // copy of it is kept beside it first, since the next save rewrites it.
    void CorruptMsg(const QString& name);
    // Keeps that copy, once; the line that says where, for a message.
    QString KeepDamagedCopy();

    QString sFile;
    QString m_damagedCopy; // where the damaged file read last was kept
    QString sTxt;
    QString sGpNm;
    QString sGtx;
    quintptr nOwner = 0;
};

// Value-text helpers shared by the settings reader and writer.
namespace IniText {
// The double spelled by the leading part of a text, ignoring blanks, tabs
// and line feeds wherever they stand; 0 when nothing numeric leads.
double LeadingNumber(const QString& v);
// Standard text form of a value: "True"/"False", plain decimal numbers with
// "." and at most 15 (7 for float) significant digits, texts unchanged.
QString ValueText(const QVariant& v);
// Every folder level of a path after the first separator, outermost first.
QStringList FolderChain(const QString& path, QChar sep);
// The page a help shortcut targets: lower case, ".htm" added without a dot.
QString HelpPage(const QString& sJob);
} // namespace IniText
