#pragma once
// File names and paths carried losslessly. On Linux a name is a string of
// bytes that need not be valid UTF-8; in a QString each byte of it that is
// not part of valid UTF-8 is held as the lone surrogate U+DC80 + (byte -
// 0x80), and turned back into the same byte when the path is opened. Valid
// UTF-8 never yields such a surrogate, so the mapping is one-to-one.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The name or path for a system call.
QByteArray EncodeName(QStringView s);
// Appends the encoding of s to out (no allocation when out has room).
void AppendEncodedName(QByteArray& out, QStringView s);
// A name or path as the system gave it.
QString DecodeName(const char* bytes, qsizetype len);
QString DecodeName(const QByteArray& bytes);
QString DecodeName(const char* zeroTerminated);

// The program's arguments as names: on Linux each argument's bytes kept.
QStringList DecodeArguments(int argc, char** argv);
// The process's current folder, its bytes kept.
QString CurrentFolder();
// The user's home folder, its bytes kept: $HOME when it is an absolute
// path, otherwise the one the user database names.
QString HomeFolder();

// Whether c holds a byte of a name that was not valid UTF-8.
inline bool IsEscapedByte(QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; }
// Appends such a byte as it is shown: \xHH.
void AppendByteText(QString& out, QChar escaped);
// Whether s holds an escaped byte (the name was not valid UTF-8).
bool HasEscapedByte(QStringView s);
// Text to show a name by: each escaped byte written as \xHH, the same way
// in every view, so two such names can be told apart.
QString ShownName(const QString& s);
// One name however it is spelled: "が" written as one character (as Windows
// and Linux write it) or as "か" and a combining mark (as a Mac writes it)
// is the same name. Only names that hold something composition can change
// are composed, so plain and already-composed names cost a scan.
// Whether composing could change the text: it holds a combining mark, a
// Hangul jamo, or a character that composition always replaces.
bool MayCompose(QStringView s);
// The composed form (Unicode NFC) of a valid name; a name holding escaped
// bytes is composed part by part, the parts with escaped bytes left as
// they are. Returned unchanged where MayCompose is false.
QString ComposedName(const QString& s);
// The key of a name regardless of letter case and of how it is composed:
// composed and case-folded over Unicode for a valid name;
// for a name holding escaped bytes only ASCII letters fold, so it matches
// only the same bytes apart from ASCII case. Each part of a relative folder
// follows its own rule.
QString FoldName(const QString& s);
// Whether two names or relative folders are one regardless of case and
// composition, by the rule of FoldName.
bool SameNameIgnoringCase(const QString& a, const QString& b);
