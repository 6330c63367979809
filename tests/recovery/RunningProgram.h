#pragma once

// The real program, started from a copy of the program folder under the test
// display, driven by real key presses (xdotool) and by the requests a window
// manager sends, and inspected through its log, its catalogue, its child
// processes and screenshots.

#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class RunningProgram : public QObject
{
    Q_OBJECT

public:
    // programDir holds the program (Brevane, ffmpeg.exe, the vendor library).
    explicit RunningProgram(const QString &programDir, QObject *parent = nullptr);
    // A program still running is killed, so that nothing outlives the test.
    ~RunningProgram() override;

    // Copies the built program folder to dir, leaving out the named files.
    static bool copyProgramFolder(const QString &dir, const QStringList &leaveOut = {});

    // A home folder of its own (HOME and the XDG folders below it), with its
    // Documents folder created. The default save folder lies below it.
    void setHome(const QString &home);
    QString home() const;
    // The default save folder, with its trailing separator.
    QString saveFolder() const;
    // Where the program's own files are expected (log, catalogue, segment list).
    void setApplicationDir(const QString &dir);
    QString applicationDir() const;

    QProcessEnvironment &environment();
    // Runs the program through this launcher, e.g. setpriv with its options.
    void setLauncher(const QStringList &launcher);

    // Starts the program and waits for its main window.
    bool start();
    // Starts one more copy with the same environment and waits for it to end.
    // Returns its exit code, or -1 when it did not end within waitMs.
    int runAnotherCopy(int waitMs, QString *errorOutput);

    qint64 pid() const;
    QString mainWindow() const;
    // The program's visible windows (main window, notices, list window).
    QStringList visibleWindows() const;

    // Presses the keys in one go in the main window, e.g. "F7 F8" for a
    // double press.
    void press(const QString &keys);
    // Asks the main window to close, as a window manager does
    // (WM_PROTOCOLS / WM_DELETE_WINDOW client message).
    bool sendCloseRequest();
    bool waitForExit(int waitMs);
    bool isRunning() const;
    int exitCode() const;
    void killHard();

    // The capture processes (ffmpeg) the program started that still run.
    QList<qint64> captureProcesses() const;
    // Every running ffmpeg whose command line names path.
    static QList<qint64> processesWriting(const QString &path);

    QStringList logLines() const;
    // Waits until the log holds at least count lines containing text.
    bool waitForLog(const QString &text, int count = 1, int waitMs = 30000) const;
    // Waits until the running capture has recorded at least seconds of audio
    // (ffmpeg's progress in the log), counted from the last segment start.
    bool waitForCapturedSeconds(double seconds, int waitMs = 30000) const;
    // The audio recorded by each segment of the log's last recording, as
    // ffmpeg's last progress line of that segment reports it.
    QList<double> segmentSecondsOfLastRecording() const;
    // The audio each ended segment of the log's last recording holds, from
    // the size of the encoded audio ffmpeg reports when it ends ("audio:NkB")
    // at the given bit rate. Unlike the progress time, which follows the
    // sound server's clock, this counts what was written.
    QList<double> encodedSecondsOfLastRecording(int kbps = 128) const;

    QString catalogueText() const;

    // A screenshot of the whole test display into the recovery shots folder.
    QString screenshot(const QString &name) const;

private:
    // The log text of each segment of the last recording, up to its end.
    QStringList segmentTextsOfLastRecording() const;
    static QString xdotool(const QStringList &arguments);

    QString m_programDir;
    QString m_home;
    QString m_applicationDir;
    QStringList m_launcher;
    QProcessEnvironment m_environment;
    QProcess m_process;
    QString m_window;
};
