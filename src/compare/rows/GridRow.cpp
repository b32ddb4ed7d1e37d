#include "compare/rows/GridRow.h"

QString MovedPlace(const GridRow& r)
{
    if (!r.Moved() || r.sPh2.isEmpty())
        return r.sFL2;
    return r.sPh2 + QLatin1Char('/') + r.sFL2;
}

NameExtView SplitNameView(QStringView sFL)
{
    qsizetype p = sFL.lastIndexOf(QLatin1Char('.'));
    if (p < 0)
        return {sFL, QStringView()};
    return {sFL.left(p), sFL.mid(p + 1)};
}

NameExt SplitName(const QString& sFL)
{
    NameExtView v = SplitNameView(sFL);
    return {v.name.toString(), v.ext.toString()};
}

QString SizeText(qint64 bytes)
{
    if (bytes == 0)
        return QString();
    bool neg = bytes < 0;
    QString digits = QString::number(neg ? -bytes : bytes);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return neg ? QLatin1Char('-') + out : out;
}
