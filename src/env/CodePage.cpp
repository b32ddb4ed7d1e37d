#include "env/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
QByteArray& Override()
{
    static QByteArray nm;
    return nm;
}

bool IsShiftJis(const QByteArray& nm)
{
    QByteArray l = nm.toLower();
    return l == "shift_jis" || l == "shift-jis" || l == "sjis" || l == "cp932" || l == "windows-31j";
}
} // namespace

namespace CodePage {

QByteArray Name()
{
    if (!Override().isEmpty())
        return Override();
    return SystemName();
}

void SetName(const QByteArray& nm) { Override() = nm; }

QByteArray Encode(const QString& s)
{
    QStringEncoder enc(Name().constData());
    if (!enc.isValid())
        return s.toUtf8();
    return enc.encode(s);
}

QString Decode(const QByteArray& b, bool* lossless)
{
    if (lossless)
        *lossless = true;
    QStringDecoder dec(Name().constData(), QStringDecoder::Flag::Stateless);
    if (dec.isValid()) {
        QString s = dec.decode(b);
        if (!dec.hasError())
            return s;
    }
    QStringDecoder sjis("Shift_JIS");
    if (sjis.isValid()) {
        QString s = sjis.decode(b);
        if (!sjis.hasError())
            return s;
    }
    if (lossless)
        *lossless = false;
    return QString::fromUtf8(b);
}

QString XmlLabel()
{
    QByteArray nm = Name();
    if (IsShiftJis(nm))
        return QStringLiteral("Shift-JIS");
    return QString::fromLatin1(nm);
}

} // namespace CodePage
