#pragma once
// Printers for GoogleTest, so a failing comparison shows text, not bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

struct GridRow;
struct CmprCounts;

void PrintTo(const QString& s, std::ostream* os);
void PrintTo(const QByteArray& b, std::ostream* os);
void PrintTo(const QStringList& l, std::ostream* os);
void PrintTo(const GridRow& r, std::ostream* os);
void PrintTo(const CmprCounts& c, std::ostream* os);
bool operator==(const GridRow& a, const GridRow& b);
