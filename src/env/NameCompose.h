#pragma once
// One name however it is spelled: "が" written as one character (as Windows
// and Linux write it) or as "か" and a combining mark (as a Mac writes it)
// is the same name. Only names that hold something composition can change
// are composed, so plain and already-composed names cost a scan.
#include <QString>
#include <QStringView>

// Whether composing could change the text: it holds a combining mark, a
// Hangul jamo, or a character that composition always replaces.
bool MayCompose(QStringView s);
// The composed form (Unicode NFC) of a valid name; a name holding escaped
// bytes is composed part by part, the parts with escaped bytes left as
// they are. Returned unchanged where MayCompose is false.
QString ComposedName(const QString& s);
