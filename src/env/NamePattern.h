#pragma once
// Name patterns of the folder filter: "?" any one character, "*" any run,
// "#" one digit, [abc] [a-f] [!abc] lists; [*] [?] [#] [[] stand for
// themselves. The whole name must fit the whole pattern.
#include <QString>
#include <QStringList>

bool NameFits(const QString& name, const QString& pattern);
// The first "[" of the pattern that no "]" closes, or -1.
qsizetype UnclosedBracket(const QString& pattern);
// Splits a pattern list at any mix of spaces and commas, lower-cased.
QStringList PatternList(const QString& text);
