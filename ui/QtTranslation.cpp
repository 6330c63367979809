#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
const char kCatalogue[] = "qtbase_zh_CN";
}

QStringList QtTranslation::searchDirs()
{
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
            QLibraryInfo::location(QLibraryInfo::TranslationsPath)};
}

bool QtTranslation::install(QCoreApplication *app)
{
    // Month and day names (the calendar pop-up) come from the locale.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto *translator = new QTranslator(app);
    for (const QString &dir : searchDirs()) {
        if (translator->load(QLatin1String(kCatalogue), dir))
            return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}
