#pragma once

#include <QJsonArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The built program, started from a copy of its folder so that its catalogue
// and log land beside the copy, under the test display.
class ProgramUnderTest
{
public:
    ProgramUnderTest() = default;
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest &) = delete;
    ProgramUnderTest &operator=(const ProgramUnderTest &) = delete;

    // Copies the program folder, starts the program there and waits for its
    // main window.
    bool start();
    bool isRunning() const { return process.state() == QProcess::Running; }
    qint64 pid() const { return process.processId(); }
    QString mainWindow() const { return mainWindowId; }
    QString folder() const { return dir.path(); }

    QString logText() const;
    // How often the text occurs in the log so far.
    int logCount(const QString &text) const;
    // The catalogue "Brevane.json" beside the program.
    QJsonArray catalogue() const;

    // The visible window of the program with this title, once it is shown; an
    // empty string when none appears within the time.
    QString waitForWindowNamed(const QString &title, int timeoutMs = 20000) const;

    // Waits for the program to end after its close button was clicked.
    bool waitForExit(int timeoutMs = 20000);

private:
    QTemporaryDir dir;
    QProcess process;
    QString mainWindowId;
};
