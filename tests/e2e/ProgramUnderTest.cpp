#include "ProgramUnderTest.h"

#include "XDisplay.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QtTest>

ProgramUnderTest::~ProgramUnderTest()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool ProgramUnderTest::start()
{
    if (!dir.isValid())
        return false;
    QProcess copy;
    copy.start(QStringLiteral("cp"), {"-r", QStringLiteral(QUELLIN_PROGRAM_DIR "/."), dir.path()});
    if (!copy.waitForFinished(30000) || copy.exitCode() != 0)
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_FONT_DPI"));
    process.setProcessEnvironment(env);
    // The error file goes to the working folder.
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(dir.filePath(QStringLiteral("Brevane")), QStringList());
    if (!process.waitForStarted())
        return false;
    if (!QTest::qWaitFor([this] { return !XDisplay::visibleWindowsOf(pid()).isEmpty(); }, 20000))
        return false;
    // At start the main window is the only one shown.
    const QStringList windows = XDisplay::visibleWindowsOf(pid());
    if (windows.size() != 1)
        return false;
    mainWindowId = windows.first();
    return true;
}

QString ProgramUnderTest::logText() const
{
    QFile file(dir.filePath(QStringLiteral("log.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

int ProgramUnderTest::logCount(const QString &text) const
{
    return logText().count(text);
}

QJsonArray ProgramUnderTest::catalogue() const
{
    QFile file(dir.filePath(QStringLiteral("Brevane.json")));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonArray();
    return QJsonDocument::fromJson(file.readAll()).array();
}

QString ProgramUnderTest::waitForWindowNamed(const QString &title, int timeoutMs) const
{
    QString found;
    const bool shown = QTest::qWaitFor(
        [&] {
            const QStringList windows = XDisplay::visibleWindowsOf(pid());
            for (const QString &window : windows) {
                if (XDisplay::name(window) == title) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return shown ? found : QString();
}

bool ProgramUnderTest::waitForExit(int timeoutMs)
{
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
