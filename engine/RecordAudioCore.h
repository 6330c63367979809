#pragma once

#include "AudioSource.h"
#include "SegmentJoiner.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class ChildProcess;

// The recording engine. Every capture, join and device listing runs the
// external tool "ffmpeg.exe" as a child process; the engine composes the
// command lines, ends captures with "q", and turns the segments of a
// recording into one MP3 file at stop. Everything it does is logged.
class RecordAudioCore : public QObject
{
    Q_OBJECT

public:
    explicit RecordAudioCore(QObject *parent);
    ~RecordAudioCore() override;

    void startRecord();
    void pauseRecord();
    void resumeRecord();
    // Ends the capture and finalises the recording into outputPath. A
    // recording whose capture failed is finished the same way: the segments
    // that hold audio make the file, the others are left out.
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

    // Folder for the segments; ends with a separator.
    QString segmentDir;
    int bitRate = 128;
    int audioSource = SystemSound;

    // The microphone's device name as listed, surrounding double quotes included.
    const QString &micDeviceName() const;
    // Full paths of the current recording's segments, in recording order.
    const QStringList &segmentFiles() const;
    // Number of the segment being recorded (raised by every pause).
    int segmentIndex() const;
    // Whether a capture process is running.
    bool isCapturing() const;
    // Whether any segment of the current recording holds audio so far.
    bool hasRecordedAudio() const;

    // Full path of the final file written by the last stopRecord, which is the
    // requested output path unless a file of that name already existed. Empty
    // when the last stop produced no final file.
    const QString &writtenPath() const;
    // How the last stopRecord ended, and why when it wrote no file.
    SegmentJoiner::Outcome lastOutcome() const;
    QString lastFailureReason() const;

    // Upper bound of every blocking wait on the tool. Tests shorten it.
    void setWaitLimitMs(int ms);

signals:
    // A capture could not start, or ended by itself without being asked to
    // (tool missing, device absent, disk full). The reason is a short
    // sentence a user can act on; the tool's own line is in the log.
    void captureFailed(const QString &reason);

private:
    // Begins capturing baseCommand into segmentPath.
    void startSegment(const QString &segmentPath, const QString &logPrefix);
    // Moves a file at segmentPath that is not part of this recording out of
    // the way. Returns false when such a file is there and cannot be moved.
    bool clearSegmentPath(const QString &segmentPath);
    // Ends the running capture: "q", a polite terminate, a bounded wait. A
    // process still running after the wait is killed so the next run can use
    // the same process object. Returns whether it finished within the wait.
    bool endCapture();

    void onCaptureError(QProcess::ProcessError error);
    void onCaptureFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void reportCaptureFailure(const QString &reason);

    QString m_micDeviceName;
    int m_segmentIndex = 0;
    ChildProcess *m_captureProcess;
    QString m_baseCommand;
    QStringList m_segmentFiles;
    int m_waitLimitMs = 30000;
    SegmentJoiner m_joiner;
    SegmentJoiner::Outcome m_lastOutcome = SegmentJoiner::NotRun;
    QString m_writtenPath;

    // True while a capture started by the engine should be running: its end
    // without the engine asking for it is a failure.
    bool m_captureExpected = false;
    // The end of what the running capture printed, kept for the failure reason.
    QString m_captureOutputTail;
};
