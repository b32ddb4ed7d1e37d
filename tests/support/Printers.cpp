#include "support/Printers.h"

#include "compare/engine/CmprEngine.h"
#include "compare/rows/RowFormat.h"

#include <iomanip>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Printable bytes as they are, others as \xHH, so two byte names can be told apart.
void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << '"';
    for (unsigned char c : b) {
        if (c >= 0x20 && c < 0x7f && c != '\\')
            *os << char(c);
        else
            *os << "\\x" << std::hex << std::setw(2) << std::setfill('0') << int(c) << std::dec;
    }
    *os << '"';
}

void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(l[i], os);
    }
    *os << '}';
}

void PrintTo(const GridRow& r, std::ostream* os)
{
    QString line;
    AppendRowLine(line, r);
    PrintTo(line.chopped(1), os);
}

void PrintTo(const CmprCounts& c, std::ostream* os)
{
    *os << "{rows " << c.rows;
    for (const CmprCodeInfo& i : kCmprCodes)
        *os << ", " << QString::fromUtf16(i.text).toStdString() << ' ' << c.Of(i.code);
    *os << '}';
}

bool operator==(const GridRow& a, const GridRow& b)
{
    return a.sPh == b.sPh && a.sFL == b.sFL && a.sED == b.sED && a.sU1 == b.sU1 && a.sU2 == b.sU2 && a.nS1 == b.nS1 &&
           a.nS2 == b.nS2;
}
