#include "RecordAudioCore.h"

#include "ChildProcess.h"
#include "EngineLog.h"
#include "Mp3Frames.h"
#include "Platform.h"
#include "ToolCommand.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

namespace {
const QString SystemDevice = QStringLiteral("virtual-audio-capturer");
const QString ListingCommand = QStringLiteral("ffmpeg.exe -list_devices true -f dshow -i dummy");
// Enough of the capture's last output to find the line that names its failure.
const int OutputTailChars = 4096;
} // namespace

RecordAudioCore::RecordAudioCore(QObject *parent) : QObject(parent), m_captureProcess(new ChildProcess(this))
{
    m_captureProcess->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_captureProcess, &QProcess::readyReadStandardError, this, &RecordAudioCore::onProcessOutput);
    connect(m_captureProcess, &QProcess::readyReadStandardOutput, this, &RecordAudioCore::onProcessOutput);
    connect(m_captureProcess, &QProcess::errorOccurred, this, &RecordAudioCore::onCaptureError);
    connect(m_captureProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &RecordAudioCore::onCaptureFinished);
}

RecordAudioCore::~RecordAudioCore()
{
    m_captureExpected = false;
    m_captureProcess->disconnect(this);
    ChildProcess::killAndReap(m_captureProcess, m_waitLimitMs);
}

const QString &RecordAudioCore::micDeviceName() const
{
    return m_micDeviceName;
}

const QStringList &RecordAudioCore::segmentFiles() const
{
    return m_segmentFiles;
}

int RecordAudioCore::segmentIndex() const
{
    return m_segmentIndex;
}

bool RecordAudioCore::isCapturing() const
{
    return m_captureProcess->state() != QProcess::NotRunning;
}

bool RecordAudioCore::hasRecordedAudio() const
{
    for (const QString &segment : m_segmentFiles) {
        if (Mp3Frames::holdsAudio(segment))
            return true;
    }
    return false;
}

const QString &RecordAudioCore::writtenPath() const
{
    return m_writtenPath;
}

SegmentJoiner::Outcome RecordAudioCore::lastOutcome() const
{
    return m_lastOutcome;
}

QString RecordAudioCore::lastFailureReason() const
{
    return m_joiner.failureReason();
}

void RecordAudioCore::setWaitLimitMs(int ms)
{
    m_waitLimitMs = ms;
    m_joiner.setWaitLimitMs(ms);
}

QString RecordAudioCore::composeCaptureCommand(int source, const QString &mic, int kbps)
{
    const QString systemInput = QStringLiteral(" -f dshow -i audio=\"%1\"").arg(SystemDevice);
    const QString micInput = QStringLiteral(" -f dshow -i audio=%1").arg(mic);
    const bool haveMic = mic.size() > 1;

    QString command = QStringLiteral("ffmpeg.exe -y");
    switch (source) {
    case SystemSound:
        command += systemInput;
        break;
    case Microphone:
        if (haveMic)
            command += micInput;
        break;
    case SystemAndMicrophone:
        command += systemInput;
        if (haveMic)
            command += micInput +
                       QStringLiteral(" -filter_complex amix=inputs=2:duration=first:dropout_transition=2");
        break;
    default:
        break;
    }
    command += QStringLiteral(" -ab %1k").arg(kbps);
    return command;
}

int RecordAudioCore::pickMicrophone(const QString &listing, QString &mic)
{
    if (listing.isEmpty())
        return -1;
    const int header = listing.indexOf(QLatin1String("DirectShow audio devices"));
    if (header < 0)
        return 0;
    const int q1 = listing.indexOf(QLatin1Char('"'), header);
    if (q1 < 0)
        return 0;
    const int q2 = listing.indexOf(QLatin1Char('"'), q1 + 1);
    if (q2 < 0)
        return 0;
    const QString candidate = listing.mid(q1, q2 - q1 + 1);
    const int alternative = listing.indexOf(QLatin1String("Alternative name"), q2);
    if (alternative > 0 && alternative - q2 < 128 && candidate != ToolCommand::quoted(SystemDevice))
        mic = candidate;
    return 0;
}

int RecordAudioCore::findAudioDevices()
{
    ChildProcess listing;
    listing.setProcessChannelMode(QProcess::MergedChannels);
    ToolCommand::start(&listing, ToolCommand::split(ListingCommand));

    QString text;
    if (listing.waitForStarted(m_waitLimitMs)) {
        if (listing.waitForFinished(m_waitLimitMs))
            text = QString::fromUtf8(listing.readAllStandardOutput());
    }
    // A listing that hangs is given up.
    ChildProcess::killAndReap(&listing, m_waitLimitMs);
    return pickMicrophone(text, m_micDeviceName);
}

void RecordAudioCore::startRecord()
{
    findAudioDevices();
    const QString command = composeCaptureCommand(audioSource, m_micDeviceName, bitRate);
    m_segmentFiles.clear();
    m_segmentIndex = 0;
    m_writtenPath.clear();
    m_lastOutcome = SegmentJoiner::NotRun;
    m_baseCommand = command;
    startSegment(segmentDir + QString::number(m_segmentIndex) + QStringLiteral(".mp3"),
                 QStringLiteral("start record: "));
}

void RecordAudioCore::resumeRecord()
{
    startSegment(segmentDir + QString::number(m_segmentIndex) + QStringLiteral(".mp3"),
                 QStringLiteral("resume record: "));
}

void RecordAudioCore::startSegment(const QString &segmentPath, const QString &logPrefix)
{
    if (!clearSegmentPath(segmentPath)) {
        // Capturing now would overwrite a file that is not ours; the segment
        // is left out of the recording instead.
        reportCaptureFailure(
            tr("录音片段 %1 已被其他文件占用。").arg(Platform::toNativeSeparators(segmentPath)));
        return;
    }
    m_segmentFiles.append(segmentPath);
    const QString command = m_baseCommand + QLatin1Char(' ') + ToolCommand::quoted(segmentPath);
    writeLog(logTimestamp() + logPrefix + command);
    m_captureOutputTail.clear();
    m_captureExpected = true;
    ToolCommand::start(m_captureProcess, ToolCommand::split(m_baseCommand) << segmentPath);
}

bool RecordAudioCore::clearSegmentPath(const QString &segmentPath)
{
    if (!QFileInfo::exists(segmentPath) || m_segmentFiles.contains(segmentPath))
        return true;
    const QString aside = SegmentJoiner::firstFreeVariant(segmentPath, QStringLiteral("_earlier%1"));
    if (QFile::rename(segmentPath, aside)) {
        writeLog(logTimestamp() + QStringLiteral("moved earlier file aside: ") + segmentPath +
                 QStringLiteral(" -> ") + aside);
        return true;
    }
    writeLog(logTimestamp() + QStringLiteral("move aside fail: ") + segmentPath);
    return false;
}

bool RecordAudioCore::endCapture()
{
    m_captureExpected = false;
    if (m_captureProcess->state() == QProcess::NotRunning)
        return false;
    m_captureProcess->write("q", 1);
    m_captureProcess->terminate();
    const bool finished = m_captureProcess->waitForFinished(m_waitLimitMs);
    // Not ended in time: kill it, so that the next segment can start in the
    // same process object.
    ChildProcess::killAndReap(m_captureProcess, m_waitLimitMs);
    return finished;
}

void RecordAudioCore::pauseRecord()
{
    const bool finished = endCapture();
    writeLog(logTimestamp() +
             (finished ? QStringLiteral("pause record: success") : QStringLiteral("pause record: fail")));
    ++m_segmentIndex;
}

void RecordAudioCore::stopRecord(QString outputPath)
{
    const bool finished = endCapture();
    writeLog(logTimestamp() +
             (finished ? QStringLiteral("stop record: success") : QStringLiteral("stop record: fail")));
    m_lastOutcome = m_joiner.finalise(m_segmentFiles, m_segmentIndex, outputPath);
    m_writtenPath = m_joiner.writtenPath();
}

void RecordAudioCore::killProcess()
{
    m_captureExpected = false;
    ChildProcess::killAndReap(m_captureProcess, m_waitLimitMs);
}

void RecordAudioCore::onProcessOutput()
{
    const QByteArray err = m_captureProcess->readAllStandardError();
    const QByteArray out = m_captureProcess->readAllStandardOutput();
    qDebug() << "err:" << err << "std:" << out;
    writeLog(QString::fromUtf8(err));
    const QString outText = QString::fromUtf8(out);
    writeLog(outText);
    m_captureOutputTail = (m_captureOutputTail + outText).right(OutputTailChars);
}

void RecordAudioCore::onCaptureError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || !m_captureExpected)
        return;
    m_captureExpected = false;
    writeLog(logTimestamp() + QStringLiteral("cannot start ffmpeg.exe: ") + m_captureProcess->errorString());
    reportCaptureFailure(tr("找不到录音程序 ffmpeg.exe，请重新安装本软件。"));
}

void RecordAudioCore::onCaptureFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!m_captureExpected)
        return;
    m_captureExpected = false;
    QString reason = ToolCommand::failureReason(m_captureOutputTail);
    if (reason.isEmpty())
        reason = exitStatus == QProcess::CrashExit ? tr("录音程序意外终止。")
                                                   : tr("录音程序意外退出（退出码 %1）。").arg(exitCode);
    reportCaptureFailure(reason);
}

void RecordAudioCore::reportCaptureFailure(const QString &reason)
{
    writeLog(logTimestamp() + QStringLiteral("capture failed: ") + reason);
    // Always delivered through the event loop, never inside the caller's
    // startRecord or resumeRecord.
    QMetaObject::invokeMethod(
        this, [this, reason] { emit captureFailed(reason); }, Qt::QueuedConnection);
}
