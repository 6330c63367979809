#pragma once

#include <QStringList>

class QCoreApplication;

// Qt draws some texts itself: the folder chooser, the calendar pop-up of the
// date editors, the context menu of text fields, standard buttons. Inside a
// program that is Chinese everywhere else they must be Chinese too, so Qt's
// own Simplified Chinese translation is loaded at start-up.
class QtTranslation
{
public:
    // Looks for "qtbase_zh_CN.qm" in the folders of searchDirs(), in order,
    // and installs the first one found on app, and makes Chinese (China) the
    // default locale. Returns whether a translation was installed.
    static bool install(QCoreApplication *app);

    // "translations" beside the program first (so that a copied program
    // folder brings its own), then Qt's translations folder.
    static QStringList searchDirs();
};
