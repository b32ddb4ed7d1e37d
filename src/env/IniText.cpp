#include "env/yIni.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <string>

namespace {
bool Ignored(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'); }

// Turns "1.5e+20" into "150000000000000000000" and "1e-05" into "0.00001".
QString PlainDecimal(const QString& g)
{
    qsizetype e = g.indexOf(QLatin1Char('e'));
    if (e < 0)
        return g;
    QString mant = g.left(e);
    int exp = g.mid(e + 1).toInt();
    bool neg = mant.startsWith(QLatin1Char('-'));
    if (neg)
        mant.remove(0, 1);
    qsizetype dot = mant.indexOf(QLatin1Char('.'));
    QString digits = mant;
    qsizetype intLen = mant.size();
    if (dot >= 0) {
        digits.remove(dot, 1);
        intLen = dot;
    }
    qsizetype point = intLen + exp;
    QString out;
    if (point <= 0)
        out = QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + digits;
    else if (point >= digits.size())
        out = digits + QString(point - digits.size(), QLatin1Char('0'));
    else
        out = digits.left(point) + QLatin1Char('.') + digits.mid(point);
    return neg ? QLatin1Char('-') + out : out;
}
} // namespace

namespace IniText {

double LeadingNumber(const QString& v)
{
    std::string num;
    qsizetype i = 0;
    auto next = [&]() -> QChar {
        while (i < v.size() && Ignored(v[i]))
            ++i;
        return i < v.size() ? v[i] : QChar();
    };
    auto digits = [&]() {
        int n = 0;
        for (QChar c = next(); c >= QLatin1Char('0') && c <= QLatin1Char('9'); c = next()) {
            num += char(c.unicode());
            ++i;
            ++n;
        }
        return n;
    };
    QChar c = next();
    if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
        num += char(c.unicode());
        ++i;
    }
    int n = digits();
    if (next() == QLatin1Char('.')) {
        num += '.';
        ++i;
        n += digits();
    }
    if (n == 0)
        return 0.0;
    c = next();
    if (c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('d') || c == QLatin1Char('D')) {
        std::string mant = num;
        qsizetype save = i;
        num += 'e';
        ++i;
        QChar s = next();
        if (s == QLatin1Char('+') || s == QLatin1Char('-')) {
            num += char(s.unicode());
            ++i;
        }
        if (digits() == 0) {
            num = mant;
            i = save;
        }
    }
    // from_chars reads "." as the decimal point whatever the locale says
    double r = 0.0;
    const char* first = num.c_str();
    if (*first == '+')
        ++first;
    std::from_chars(first, num.c_str() + num.size(), r);
    return std::isfinite(r) ? r : 0.0;
}

QString ValueText(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: return PlainDecimal(QString::number(v.toDouble(), 'g', 15));
    case QMetaType::Float: return PlainDecimal(QString::number(double(v.toFloat()), 'g', 7));
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long: return QString::number(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong: return QString::number(v.toULongLong());
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    default: return v.toString();
    }
}

QStringList FolderChain(const QString& path, QChar sep)
{
    QString copy = path.endsWith(sep) ? path : path + sep;
    QStringList out;
    qsizetype p = copy.indexOf(sep);
    while (p >= 0) {
        p = copy.indexOf(sep, p + 1);
        if (p < 0)
            break;
        QString level = copy.left(p);
        if (!level.isEmpty())
            out.append(level);
    }
    return out;
}

QString HelpPage(const QString& sJob)
{
    QString page = sJob.toLower();
    if (!page.contains(QLatin1Char('.')))
        page += QStringLiteral(".htm");
    return page;
}

} // namespace IniText
