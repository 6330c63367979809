#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The recording engine. Every capture, join and device listing runs the
// external tool "ffmpeg.exe" as a child process; the engine composes the
// command lines, ends captures with "q", and turns the segments of a
// recording into one MP3 file at stop. Everything it does is logged.
class RecordAudioCore : public QObject
{
    Q_OBJECT

public:
    enum AudioSource { SystemSound = 0, Microphone = 1, SystemAndMicrophone = 2 };

    explicit RecordAudioCore(QObject *parent);
    ~RecordAudioCore() override;

    void startRecord();
    void pauseRecord();
    void resumeRecord();
    void stopRecord(QString outputPath);
    void killProcess();
    int findAudioDevices();
    void onProcessOutput();

    // The capture command without its output file, as startRecord composes it
    // for the given source, microphone name (quotes included) and bit rate.
    static QString composeCaptureCommand(int audioSource, const QString &micDeviceName, int bitRate);

    // Reads a DirectShow device listing: the first audio device after the
    // header becomes the microphone unless it is the system-sound device or
    // lacks a nearby "Alternative name". Returns -1 for an empty listing,
    // else 0; micDeviceName is only ever overwritten, never cleared.
    static int pickMicrophone(const QString &listing, QString &micDeviceName);

    // The microphone's device name as listed, surrounding double quotes included.
    QString micDeviceName;
    // Folder for the segments; ends with a separator.
    QString segmentDir;
    int bitRate = 128;
    int audioSource = SystemSound;
    int segmentIndex = 0;
    QProcess *captureProcess = nullptr;
    QString baseCommand;
    QStringList segmentFiles;

    // Upper bound of every blocking wait on the tool. Tests shorten it.
    int waitLimitMs = 30000;

    // Full path of the final file written by the last stopRecord, which is the
    // requested output path unless a file of that name already existed. Empty
    // when the last stop produced no final file (the segments then stay).
    QString writtenPath;

signals:
    // A capture could not start, or ended by itself without being asked to
    // (tool missing, device absent, nothing to record). The reason is a short
    // human-readable text.
    void captureFailed(const QString &reason);

private:
    // The inputs and the bit rate of a capture command, each fragment with
    // its leading blank: what follows "ffmpeg.exe -y".
    static QString captureArguments(int audioSource, const QString &micDeviceName, int bitRate);

    // Starts a command line in the given process, split by the usual rules:
    // blanks separate arguments, double quotes group, """ is a literal quote.
    static void runCommand(QProcess *process, const QString &command);

    // Begins capturing baseCommand into segmentPath.
    void startSegment(const QString &segmentPath, const QString &logPrefix);
    // Moves a file at segmentPath that is not part of this recording out of
    // the way. Returns false when such a file is there and cannot be moved.
    bool clearSegmentPath(const QString &segmentPath);
    // Ends the running capture: "q", a polite terminate, a bounded wait. A
    // process still running after the wait is killed so the next run can use
    // the same process object. Returns whether it finished within the wait.
    bool endCapture();

    void finalise(const QString &outputPath);
    void joinSegments(const QString &outputPath);
    void renameSingleSegment(const QString &outputPath);

    // The first name of the form "stem.ext", "stem(1).ext", "stem(2).ext", …
    // that names no existing file.
    static QString firstFreeName(const QString &path);
    // A path in the same folder as path that names no existing file.
    static QString asideName(const QString &path);
    // One line of the concat list for a segment path (forward slashes already).
    static QString concatListLine(const QString &segmentPath);

    void onCaptureError(QProcess::ProcessError error);
    void onCaptureFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void reportCaptureFailure(const QString &reason);

    // True while a capture started by the engine should be running: its end
    // without the engine asking for it is a failure.
    bool m_captureExpected = false;
    // Last non-empty line the capture printed, kept for the failure reason.
    QString m_lastOutputLine;
    // What the running join printed, looked at once it has ended.
    bool m_collectJoinOutput = false;
    QByteArray m_joinOutput;
};
