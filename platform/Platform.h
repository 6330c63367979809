#pragma once

#include <QString>

// The thin layer between the program and the operating system it runs on:
// where the program lives, which path separator is native, how a folder is
// shown in the desktop's file manager. Everything else goes through Qt.
class Platform
{
public:
    // The directory of the running program (QCoreApplication::applicationDirPath),
    // where the catalogue, the engine log and the segment list live.
    static QString applicationDir();
    // Tests point the program's own files at a folder of their own.
    static void setApplicationDirForTesting(const QString &dir);

    static QChar nativeSeparator();
    static QString toNativeSeparators(const QString &path);

    // The capture tool is started by its bare name. As on the target platform,
    // the program's own directory is searched first, then PATH: this puts the
    // program directory at the front of PATH unless PATH already names it.
    static void putProgramDirFirstOnSearchPath();

    // Opens a folder in the desktop's file manager without waiting for it.
    // Returns whether the opener could be started.
    static bool openFolder(const QString &path);
};
