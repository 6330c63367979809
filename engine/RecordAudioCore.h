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
    // helpers of the implementation go here
};
