#pragma once
// The system's ANSI code page: on Windows the ANSI code page, elsewhere the
// locale's encoding. Bytes that are not valid in it are read as Shift_JIS,
// so files made on a Japanese Windows system load.
#include <QByteArray>
#include <QString>

namespace CodePage {
QByteArray Name();                  // "UTF-8", "Shift_JIS", ...
QByteArray SystemName();            // the platform's own, without override
void SetName(const QByteArray& nm); // overrides the locale's (tests, settings)
QByteArray Encode(const QString& s);
// lossless, when given, tells whether the bytes were valid in the code page
// or in Shift_JIS; otherwise each bad byte became U+FFFD.
QString Decode(const QByteArray& b, bool* lossless = nullptr);
// Name as written in an XML declaration ("Shift-JIS" for Shift_JIS).
QString XmlLabel();
} // namespace CodePage
