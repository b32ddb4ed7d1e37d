#include "ui/QtLang.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QLocale QtTextLocale(const QString& lcAll, const QString& lcMessages, const QString& lang)
{
    const QString name = !lcAll.isEmpty() ? lcAll : !lcMessages.isEmpty() ? lcMessages : lang;
    const QString base = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (base.isEmpty() || base == u"C" || base == u"POSIX")
        return QLocale(QLocale::Japanese, QLocale::Japan);
    return QLocale(base);
}

QTranslator* LoadQtTranslations()
{
    const QLocale loc =
        QtTextLocale(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(loc, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return nullptr;
    }
    QCoreApplication::installTranslator(t);
    return t;
}
