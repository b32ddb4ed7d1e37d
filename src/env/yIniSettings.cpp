#include "env/CodePage.h"
#include "env/Dialogs.h"
#include "env/DirList.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/yIni.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace {
const QString kRoot = QStringLiteral("運用");
const QChar kBreak(0x2021); // line-break marker of the templates

QString StartTag(const QString& n) { return QLatin1Char('<') + n + QLatin1Char('>'); }
QString EndTag(const QString& n) { return QStringLiteral("</") + n + QLatin1Char('>'); }

// 1-based position of `what` in `src` from 1-based `from`, 0 when absent.
qsizetype Pos(const QString& src, const QString& what, qsizetype from = 1) { return src.indexOf(what, from - 1) + 1; }

bool ToBoolean(const QString& v)
{
    QString t = v.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    // a number (Qt reads it with "." whatever the locale); never nan or inf
    bool ok = false;
    double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw FcError(ErrKind::TypeMismatch, QStringLiteral("型が一致しません: ") + v);
    return d != 0.0;
}

QVariant ToDate(const QString& v, const QVariant& vDef)
{
    static const char* const kFormats[] = {"yyyy/MM/dd hh:mm:ss", "yyyy/MM/dd hh:mm", "yyyy/MM/dd",
                                           "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd"};
    for (const char* f : kFormats) {
        QDateTime dt = QDateTime::fromString(v.trimmed(), QLatin1String(f));
        if (dt.isValid())
            return vDef.typeId() == QMetaType::QDate ? QVariant(dt.date()) : QVariant(dt);
    }
    return vDef;
}
// A text whose bytes are valid in neither the code page nor Shift_JIS
// would lose them at the next save: the original is kept aside once, as
// "<file>.bak", and the user told.
QString ReadKeepingUndecodable(Fso& fs, const QString& file)
{
    const QByteArray bytes = fs.ReadBytes(file);
    bool lossless = true;
    QString text = CodePage::Decode(bytes, &lossless);
    const QString bak = file + QStringLiteral(".bak");
    if (!lossless && !fs.SomethingAt(bak)) {
        fs.WriteBytesAtomic(bak, bytes);
        Usr::Dlg().MsgBox(QStringLiteral("ﾕｰｻﾞｰ環境ﾌｧｲﾙ(") + file + QStringLiteral(") に読めない文字があります") +
                          QLatin1Char('\r') + QStringLiteral("元のﾌｧｲﾙを ") + bak + QStringLiteral(" に残しました"));
    }
    return text;
}

// Line 1 names the encoding the text is written in, whatever the file
// it was read from said.
void NameTheEncoding(QString& text)
{
    if (!text.startsWith(QLatin1String("<?xml")))
        return;
    const qsizetype end = text.indexOf(QLatin1String("?>"));
    if (end < 0)
        return;
    static const QRegularExpression kEnc(QStringLiteral("encoding=(['\"])[^'\"]*\\1"));
    QString decl = text.left(end);
    decl.replace(kEnc, QStringLiteral("encoding='") + CodePage::XmlLabel() + QLatin1Char('\''));
    text.replace(0, end, decl);
}
} // namespace

void yIni::GetTxt(const QString& sFL, bool& bOk)
{
    sTxt.clear();
    m_damagedCopy.clear();
    sFile = sFL;
    qsizetype p = sFile.indexOf(QLatin1String("_DV.xml"), 0, Qt::CaseInsensitive);
    if (p >= 0)
        sFile.replace(p, 7, QStringLiteral(".xml"));
    Fso& fs = Host().fso();
    if (fs.FileExists(sFile))
        sTxt = ReadKeepingUndecodable(fs, sFile);
    else if (fs.SomethingAt(sFile)) // a pipe or a device would hang the read
        throw FcError(ErrKind::FileSystem, QStringLiteral("ﾕｰｻﾞｰ環境ﾌｧｲﾙを読めません: ") + sFile +
                                               QStringLiteral(" (通常のﾌｧｲﾙではありません)"));
    else if (DirList::IsLink(sFile)) // made through the link, the file would land elsewhere
        throw FcError(ErrKind::FileSystem,
                      QStringLiteral("ﾕｰｻﾞｰ環境ﾌｧｲﾙを読めません: ") + sFile + QStringLiteral(" (ﾘﾝｸ先がありません)"));
    else
        fs.CreateAnsiText(sFile);
    if (sTxt.isEmpty())
        sTxt = MkTag(0, kRoot, QString(kBreak));
    bOk = true;
}

void yIni::GetGtx(const QString& sGp)
{
    sGpNm = sGp;
    sGtx = GtTag(0, sGp);
}

QString yIni::GtTag(int mode, const QString& name)
{
    const QString& src = mode == 0 ? sTxt : sGtx;
    qsizetype p1 = Pos(src, StartTag(name));
    qsizetype p2 = Pos(src, EndTag(name));
    if (src.isEmpty() || (p1 == 0 && p2 == 0))
        return QString();
    if (p1 == 0 || p2 == 0 || p1 > p2) {
        CorruptMsg(name);
        return QString();
    }
    qsizetype s = p1 + name.size() + 2;
    if (mode == 1)
        return src.mid(s - 1, p2 - s);
    qsizetype len = p2 - s - 5;
    if (len < 0)
        throw FcError(ErrKind::InvalidArgument, QStringLiteral("<") + name +
                                                    QStringLiteral("> の設定を読み込めません (ｾｸｼｮﾝが短すぎます)") +
                                                    KeepDamagedCopy());
    return src.mid(s + 1, len);
}

QVariant yIni::vGtVal(const QString& sKy, const QVariant& vDef)
{
    switch (vDef.typeId()) {
    case QMetaType::QString: {
        QString v = GtTag(1, sKy);
        return v.isEmpty() ? vDef : QVariant(v);
    }
    case QMetaType::Bool: {
        QString v = GtTag(1, sKy);
        if (v.isEmpty())
            return vDef;
        return QVariant(ToBoolean(v));
    }
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        QString v = GtTag(1, sKy);
        return v.isEmpty() ? vDef : ToDate(v, vDef);
    }
    default: {
        QString v = GtTag(1, sKy);
        if (v.isEmpty())
            return vDef;
        return QVariant(IniText::LeadingNumber(v));
    }
    }
}

void yIni::SetVal(const QString& sKy, const QVariant& vVL)
{
    QString val = IniText::ValueText(vVL);
    qsizetype p1 = Pos(sGtx, StartTag(sKy));
    qsizetype p2 = 0;
    qsizetype g = 0;
    if (p1 > 0) {
        g = p1 + sKy.size() + 1;
        p2 = Pos(sGtx, EndTag(sKy), g + 1);
    }
    if (p2 > 0)
        sGtx = sGtx.left(g) + val + sGtx.mid(p2 - 1);
    else
        sGtx += MkTag(2, sKy, val);
}

void yIni::SetGtx()
{
    if (sTxt.isEmpty())
        sTxt = MkTag(0, kRoot, QString(kBreak));
    qsizetype p1 = Pos(sTxt, StartTag(sGpNm));
    if (p1 > 0) {
        qsizetype s = p1 + sGpNm.size() + 3;
        qsizetype p2 = Pos(sTxt, EndTag(sGpNm), s);
        if (p2 > 0) {
            sTxt = sTxt.left(s) + sGtx + QStringLiteral("   ") + sTxt.mid(p2 - 1);
            return;
        }
    }
    qsizetype r = Pos(sTxt, EndTag(kRoot));
    if (r == 0)
        throw FcError(ErrKind::InvalidArgument,
                      QStringLiteral("ﾕｰｻﾞｰ環境ﾌｧｲﾙ(") + sFile + QStringLiteral(") に </運用> がありません"));
    sTxt = sTxt.left(r - 1) + MkTag(1, sGpNm, sGtx) + sTxt.mid(r - 1);
}

void yIni::SetTxt(bool& bOk)
{
    if (sFile.isEmpty())
        return;
    NameTheEncoding(sTxt);
    Host().fso().WriteAnsiTextAtomic(sFile, sTxt);
    bOk = true;
}

QString yIni::MkTag(int mode, const QString& name, const QString& value) const
{
    QString t;
    const QString br(kBreak);
    switch (mode) {
    case 0:
        t = QStringLiteral("<?xml version='1.0' encoding='") + CodePage::XmlLabel() + QStringLiteral("' ?>") + br +
            StartTag(name) + value + EndTag(name);
        break;
    case 1: t = QStringLiteral("   ") + StartTag(name) + br + value + QStringLiteral("   ") + EndTag(name) + br; break;
    default: t = QStringLiteral("      ") + StartTag(name) + value + EndTag(name) + br; break;
    }
    t.replace(kBreak, QStringLiteral("\r\n"));
    return t;
}

QString yIni::KeepDamagedCopy()
{
    QString kept;
    if (m_damagedCopy.isEmpty() && !sFile.isEmpty()) {
        try {
            Fso& fs = Host().fso();
            QString copy = sFile + QStringLiteral(".bak");
            for (int n = 2; fs.SomethingAt(copy) || DirList::IsLink(copy); ++n)
                copy = sFile + QStringLiteral(".bak") + QString::number(n);
            fs.WriteBytesAtomic(copy, fs.ReadBytes(sFile));
            m_damagedCopy = copy;
            kept = QLatin1Char('\r') + QStringLiteral("元のﾌｧｲﾙを ") + copy + QStringLiteral(" に残しました");
        } catch (const FcError& e) {
            kept = QLatin1Char('\r') + QStringLiteral("元のﾌｧｲﾙを残せませんでした: ") + e.message();
        }
    }
    return kept;
}

void yIni::CorruptMsg(const QString& name)
{
    const QString kept = KeepDamagedCopy();
    Usr::Dlg().MsgBox(QLatin1Char('<') + name + QStringLiteral("> の設定が読み込めません") + QLatin1Char('\r') +
                      QStringLiteral("ﾕｰｻﾞｰ環境ﾌｧｲﾙ(") + sFile + QStringLiteral(") が破損しています") + kept);
}
