#pragma once
// Qt's own texts (the buttons of message boxes, the folder dialog) in the
// user's language: Qt's translations for the locale of the environment,
// and Japanese, the language of the program's own texts, where the
// environment names no language (unset, C or POSIX).
#include <QLocale>
#include <QString>

// The locale for Qt's texts, from LC_ALL, LC_MESSAGES or LANG (the first set).
QLocale QtTextLocale(const QString& lcAll, const QString& lcMessages, const QString& lang);
class QTranslator;
// Loads and installs Qt's translation for the environment's locale; null
// when there is none (Qt's texts then stay English).
QTranslator* LoadQtTranslations();
