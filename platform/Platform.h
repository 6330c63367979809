#pragma once

#include <QString>

// The thin layer between the program and the operating system it runs on:
// where the program lives, which path separator is native, how a folder is
// shown in the desktop's file manager. Everything else goes through Qt.
class Platform
{
public:
    // Where the program's own files live (the catalogue, the engine log, the
    // segment list): the directory of the running program, or, when the
    // program may not write there (an installed program), the per-user
    // application data folder, created when needed.
    static QString applicationDir();
    // The directory of the running program itself.
    static QString programDir();
    // Whether applicationDir() had to leave the program directory.
    static bool applicationDirMoved();
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
