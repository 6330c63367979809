#include "RecordAudioCore.h"

#include "EngineLog.h"
#include "Platform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRegularExpression>

namespace {
const QString SystemDevice = QStringLiteral("virtual-audio-capturer");
const QString ListingCommand = QStringLiteral("ffmpeg.exe -list_devices true -f dshow -i dummy");
const QString JoinTemplate = QStringLiteral("ffmpeg.exe -f concat -safe 0 -i %1  -c copy %2 -y");

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The first of "dir/stem" + marker(n) + ".ext", n = 1, 2, …, that names no
// existing file; the marker template holds %1 for n.
QString firstFreeVariant(const QString &path, const QString &markerTemplate)
{
    const QString suffix = QFileInfo(path).suffix();
    const QString dotSuffix = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    const QString stem = path.left(path.size() - dotSuffix.size());
    for (int n = 1;; ++n) {
        const QString candidate = stem + markerTemplate.arg(n) + dotSuffix;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}
} // namespace

RecordAudioCore::RecordAudioCore(QObject *parent) : QObject(parent)
{
    Platform::putProgramDirFirstOnSearchPath();
    captureProcess = new QProcess;
    captureProcess->setProcessChannelMode(QProcess::MergedChannels);
    connect(captureProcess, &QProcess::readyReadStandardError, this, &RecordAudioCore::onProcessOutput);
    connect(captureProcess, &QProcess::readyReadStandardOutput, this, &RecordAudioCore::onProcessOutput);
    connect(captureProcess, &QProcess::errorOccurred, this, &RecordAudioCore::onCaptureError);
    connect(captureProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &RecordAudioCore::onCaptureFinished);
}

RecordAudioCore::~RecordAudioCore()
{
    m_captureExpected = false;
    captureProcess->disconnect(this);
    if (captureProcess->state() != QProcess::NotRunning) {
        captureProcess->kill();
        captureProcess->waitForFinished(waitLimitMs);
    }
    delete captureProcess;
}

QString RecordAudioCore::composeCaptureCommand(int source, const QString &mic, int kbps)
{
    return QStringLiteral("ffmpeg.exe -y") + captureArguments(source, mic, kbps);
}

QString RecordAudioCore::captureArguments(int source, const QString &mic, int kbps)
{
    const QString systemInput = QStringLiteral(" -f dshow -i audio=\"%1\"").arg(SystemDevice);
    const QString micInput = QStringLiteral(" -f dshow -i audio=%1").arg(mic);
    const bool haveMic = mic.size() > 1;

    QString command;
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
    if (alternative > 0 && alternative - q2 < 128 && candidate != quoted(SystemDevice))
        mic = candidate;
    return 0;
}

void RecordAudioCore::runCommand(QProcess *process, const QString &command)
{
    QStringList arguments = QProcess::splitCommand(command);
    if (arguments.isEmpty())
        return;
    const QString program = arguments.takeFirst();
    process->start(program, arguments, QIODevice::ReadWrite);
}

int RecordAudioCore::findAudioDevices()
{
    QProcess listing;
    listing.setProcessChannelMode(QProcess::MergedChannels);
    runCommand(&listing, ListingCommand);

    QString text;
    if (listing.waitForStarted(waitLimitMs)) {
        if (listing.waitForFinished(waitLimitMs))
            text = QString::fromUtf8(listing.readAllStandardOutput());
    }
    if (listing.state() != QProcess::NotRunning) {
        // A listing that hangs is given up; reap it here rather than in the
        // destructor, which would complain about a running process.
        listing.kill();
        listing.waitForFinished(waitLimitMs);
    }
    return pickMicrophone(text, micDeviceName);
}

void RecordAudioCore::startRecord()
{
    findAudioDevices();
    QString command = QStringLiteral("ffmpeg.exe -y");
    segmentFiles.clear();
    segmentIndex = 0;
    command += captureArguments(audioSource, micDeviceName, bitRate);
    baseCommand = command;
    startSegment(segmentDir + QString::number(segmentIndex) + QStringLiteral(".mp3"),
                 QStringLiteral("start record: "));
}

void RecordAudioCore::resumeRecord()
{
    startSegment(segmentDir + QString::number(segmentIndex) + QStringLiteral(".mp3"),
                 QStringLiteral("resume record: "));
}

void RecordAudioCore::startSegment(const QString &segmentPath, const QString &logPrefix)
{
    if (!clearSegmentPath(segmentPath)) {
        // Capturing now would overwrite a file that is not ours; the segment
        // is left out of the recording instead.
        reportCaptureFailure(tr("无法写入录音片段 %1：同名文件无法移开").arg(segmentPath));
        return;
    }
    segmentFiles.append(segmentPath);
    const QString command = baseCommand + QLatin1Char(' ') + quoted(segmentPath);
    writeLog(logTimestamp() + logPrefix + command);
    m_lastOutputLine.clear();
    m_captureExpected = true;
    runCommand(captureProcess, command);
}

bool RecordAudioCore::clearSegmentPath(const QString &segmentPath)
{
    if (!QFileInfo::exists(segmentPath) || segmentFiles.contains(segmentPath))
        return true;
    const QString aside = asideName(segmentPath);
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
    if (captureProcess->state() == QProcess::NotRunning)
        return false;
    captureProcess->write("q", 1);
    captureProcess->terminate();
    const bool finished = captureProcess->waitForFinished(waitLimitMs);
    if (!finished && captureProcess->state() != QProcess::NotRunning) {
        // Not ended in time: kill it, so that the next segment or the join can
        // start in the same process object.
        captureProcess->kill();
        captureProcess->waitForFinished(waitLimitMs);
    }
    return finished;
}

void RecordAudioCore::pauseRecord()
{
    const bool finished = endCapture();
    writeLog(logTimestamp() +
             (finished ? QStringLiteral("pause record: success") : QStringLiteral("pause record: fail")));
    ++segmentIndex;
}

void RecordAudioCore::stopRecord(QString outputPath)
{
    const bool finished = endCapture();
    writeLog(logTimestamp() +
             (finished ? QStringLiteral("stop record: success") : QStringLiteral("stop record: fail")));
    finalise(outputPath);
}

void RecordAudioCore::killProcess()
{
    m_captureExpected = false;
    if (captureProcess->state() == QProcess::NotRunning)
        return;
    captureProcess->kill();
    captureProcess->waitForFinished(waitLimitMs);
}

void RecordAudioCore::finalise(const QString &outputPath)
{
    writtenPath.clear();
    if (segmentIndex > 0)
        joinSegments(outputPath);
    else if (segmentIndex == 0)
        renameSingleSegment(outputPath);
}

void RecordAudioCore::joinSegments(const QString &outputPath)
{
    const QString listPath = Platform::applicationDir() + QStringLiteral("/merge.txt");
    QFile list(listPath);
    bool listWritten = list.open(QIODevice::WriteOnly | QIODevice::Truncate) && list.exists();
    if (listWritten) {
        for (QString &entry : segmentFiles) {
            entry.replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QByteArray line = concatListLine(entry).toUtf8();
            if (list.write(line) != line.size())
                listWritten = false;
        }
        if (!list.flush())
            listWritten = false;
        list.close();
    }
    if (!listWritten) {
        // Joining now would read a stale or partial list.
        writeLog(QStringLiteral("create merge.txt fail;"));
        return;
    }

    // "-y" must never replace an earlier recording of the same name.
    const QString target = firstFreeName(outputPath);
    const QString command = JoinTemplate.arg(quoted(Platform::toNativeSeparators(listPath)), quoted(target));
    m_joinOutput.clear();
    m_collectJoinOutput = true;
    runCommand(captureProcess, command);
    const bool finished = captureProcess->waitForFinished(waitLimitMs);
    if (!finished && captureProcess->state() != QProcess::NotRunning) {
        captureProcess->kill();
        captureProcess->waitForFinished(waitLimitMs);
    }
    if (captureProcess->bytesAvailable() > 0)
        onProcessOutput();
    m_collectJoinOutput = false;
    // The concat reader skips a listed file it cannot open and still ends
    // with exit code 0; such a join has lost part of the recording.
    const bool skippedSegment = m_joinOutput.contains("Impossible to open");
    const bool joined = finished && captureProcess->exitStatus() == QProcess::NormalExit &&
                        captureProcess->exitCode() == 0 && QFileInfo::exists(target) && !skippedSegment;
    if (!joined) {
        writeLog(logTimestamp() + QStringLiteral("concat fail") + command);
        writeLog(QStringLiteral("ffmpeg concat fail or use too long time."));
        return;
    }
    writeLog(logTimestamp() + QStringLiteral("concat success:") + command);
    writtenPath = target;
    for (const QString &segment : qAsConst(segmentFiles))
        QFile::remove(segment);
}

void RecordAudioCore::renameSingleSegment(const QString &outputPath)
{
    if (segmentFiles.isEmpty() || segmentFiles.first().isEmpty()) {
        writeLog(QStringLiteral("file list is empty;"));
        return;
    }
    const QString target = firstFreeName(outputPath);
    if (!QFile::rename(segmentFiles.first(), target)) {
        writeLog(tr("rename fail: ") + target);
        return;
    }
    writtenPath = target;
}

QString RecordAudioCore::firstFreeName(const QString &path)
{
    return QFileInfo::exists(path) ? firstFreeVariant(path, QStringLiteral("(%1)")) : path;
}

QString RecordAudioCore::asideName(const QString &path)
{
    return firstFreeVariant(path, QStringLiteral("_earlier%1"));
}

QString RecordAudioCore::concatListLine(const QString &segmentPath)
{
    // Inside single quotes nothing is special except the quote itself, which
    // is written as: close the quote, an escaped quote, open it again.
    QString escaped = segmentPath;
    escaped.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QStringLiteral("file '") + escaped + QStringLiteral("'\n");
}

void RecordAudioCore::onProcessOutput()
{
    const QByteArray err = captureProcess->readAllStandardError();
    const QByteArray out = captureProcess->readAllStandardOutput();
    qDebug() << "err:" << err << "std:" << out;
    writeLog(QString::fromUtf8(err));
    const QString outText = QString::fromUtf8(out);
    writeLog(outText);
    if (m_collectJoinOutput)
        m_joinOutput += out;

    const QStringList lines = outText.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (!it->trimmed().isEmpty()) {
            m_lastOutputLine = it->trimmed();
            break;
        }
    }
}

void RecordAudioCore::onCaptureError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || !m_captureExpected)
        return;
    m_captureExpected = false;
    reportCaptureFailure(tr("无法启动录音程序 ffmpeg.exe：%1").arg(captureProcess->errorString()));
}

void RecordAudioCore::onCaptureFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (!m_captureExpected)
        return;
    m_captureExpected = false;
    QString reason = exitStatus == QProcess::CrashExit ? tr("录音程序意外终止")
                                                       : tr("录音程序意外退出（退出码 %1）").arg(exitCode);
    if (!m_lastOutputLine.isEmpty())
        reason += QStringLiteral("：") + m_lastOutputLine;
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
