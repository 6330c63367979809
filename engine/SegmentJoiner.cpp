#include "SegmentJoiner.h"

#include "ChildProcess.h"
#include "EngineLog.h"
#include "Mp3Frames.h"
#include "Platform.h"
#include "ToolCommand.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

namespace {
const QString JoinTemplate = QStringLiteral("ffmpeg.exe -f concat -safe 0 -i %1  -c copy %2 -y");

// Lines by which the tool says that a join lost audio although it may still
// exit with code 0: a listed file it skipped, a write that did not go through.
const char *const JoinErrorMarks[] = {"Impossible to open", "No space left on device", "Error writing",
                                      "I/O error"};

QString folderOf(const QString &path)
{
    return Platform::toNativeSeparators(QFileInfo(path).absolutePath());
}
} // namespace

SegmentJoiner::SegmentJoiner(QObject *parent) : QObject(parent), m_process(new ChildProcess(this))
{
    m_process->setProcessChannelMode(QProcess::MergedChannels);
}

QString SegmentJoiner::writtenPath() const
{
    return m_writtenPath;
}

QString SegmentJoiner::failureReason() const
{
    return m_failureReason;
}

void SegmentJoiner::setWaitLimitMs(int ms)
{
    m_waitLimitMs = ms;
}

SegmentJoiner::Outcome SegmentJoiner::finalise(QStringList &segments, int segmentIndex,
                                               const QString &outputPath)
{
    m_writtenPath.clear();
    m_failureReason.clear();
    if (segmentIndex < 0)
        return NotRun;
    if (segments.isEmpty() || segments.first().isEmpty()) {
        writeLog(QStringLiteral("file list is empty;"));
        m_failureReason = tr("没有可保存的录音片段");
        return Failed;
    }

    const bool dropped = dropSilentSegments(segments);
    if (segments.isEmpty()) {
        writeLog(logTimestamp() + QStringLiteral("nothing recorded: no segment holds audio"));
        m_failureReason = tr("录音时间太短，没有录到声音");
        return NothingRecorded;
    }
    // With a segment left out, one that remains alone is renamed rather than
    // joined with itself.
    if (segmentIndex > 0 && !(dropped && segments.size() == 1))
        return join(segments, outputPath);
    return rename(segments, outputPath);
}

bool SegmentJoiner::dropSilentSegments(QStringList &segments)
{
    QStringList kept;
    for (const QString &segment : qAsConst(segments)) {
        // Entries may carry backslashes (a folder chosen on the target
        // platform); forward slashes name the same file everywhere.
        if (Mp3Frames::holdsAudio(QString(segment).replace(QLatin1Char('\\'), QLatin1Char('/')))) {
            kept << segment;
            continue;
        }
        // A capture ended before it wrote a frame: nothing of the recording
        // is in it, and the join would fail on it.
        QFile::remove(segment);
        writeLog(logTimestamp() + QStringLiteral("segment without audio left out: ") + segment);
    }
    const bool dropped = kept.size() != segments.size();
    segments = kept;
    return dropped;
}

SegmentJoiner::Outcome SegmentJoiner::join(QStringList &segments, const QString &outputPath)
{
    const QString listPath = Platform::applicationDir() + QStringLiteral("/merge.txt");
    QFile list(listPath);
    bool listWritten = list.open(QIODevice::WriteOnly | QIODevice::Truncate) && list.exists();
    qint64 expectedFrames = 0;
    if (listWritten) {
        for (QString &entry : segments) {
            entry.replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QByteArray line = concatListLine(entry).toUtf8();
            if (list.write(line) != line.size())
                listWritten = false;
            expectedFrames += Mp3Frames::count(entry);
        }
        if (!list.flush())
            listWritten = false;
        list.close();
    }
    if (!listWritten) {
        // Joining now would read a stale or partial list.
        writeLog(QStringLiteral("create merge.txt fail;"));
        fail(tr("无法写入合并列表 merge.txt"), segments);
        return Failed;
    }

    // "-y" must never replace an earlier recording of the same name.
    const QString target = firstFreeName(outputPath);
    const QString nativeList = Platform::toNativeSeparators(listPath);
    const QString command = JoinTemplate.arg(ToolCommand::quoted(nativeList), ToolCommand::quoted(target));
    QByteArray output;
    const bool ran = runJoin({QStringLiteral("ffmpeg.exe"), QStringLiteral("-f"), QStringLiteral("concat"),
                              QStringLiteral("-safe"), QStringLiteral("0"), QStringLiteral("-i"), nativeList,
                              QStringLiteral("-c"), QStringLiteral("copy"), target, QStringLiteral("-y")},
                             &output);

    QString lostReason;
    if (!ran) {
        lostReason = tr("合并程序没有正常结束");
    } else {
        for (const char *mark : JoinErrorMarks) {
            if (output.contains(mark)) {
                lostReason =
                    output.contains("No space left on device") ? tr("磁盘空间不足") : tr("合并时出错");
                break;
            }
        }
    }
    if (lostReason.isEmpty()) {
        // The join copies frames; allow one cut-off frame at the end of each segment.
        const qint64 joinedFrames = Mp3Frames::count(target);
        if (!QFileInfo::exists(target) || joinedFrames + segments.size() < expectedFrames) {
            lostReason = tr("合并后的文件不完整");
            writeLog(logTimestamp() + QStringLiteral("concat check fail: %1 of %2 audio frames")
                                          .arg(joinedFrames)
                                          .arg(expectedFrames));
        }
    }
    if (!lostReason.isEmpty()) {
        writeLog(logTimestamp() + QStringLiteral("concat fail") + command);
        writeLog(QStringLiteral("ffmpeg concat fail or use too long time."));
        // The target name was free before the join: what is there now is
        // this join's partial output.
        if (QFile::remove(target))
            writeLog(logTimestamp() + QStringLiteral("removed partial output: ") + target);
        fail(lostReason, segments);
        return Failed;
    }

    writeLog(logTimestamp() + QStringLiteral("concat success:") + command);
    m_writtenPath = target;
    for (const QString &segment : qAsConst(segments))
        QFile::remove(segment);
    return Written;
}

bool SegmentJoiner::runJoin(const QStringList &words, QByteArray *output)
{
    ToolCommand::start(m_process, words);
    const bool finished = m_process->waitForFinished(m_waitLimitMs);
    ChildProcess::killAndReap(m_process, m_waitLimitMs);
    *output = m_process->readAll();
    // Logged as the capture's output is: the (empty) error channel, then the output.
    qDebug() << "err:" << QByteArray() << "std:" << *output;
    writeLog(QString());
    writeLog(QString::fromUtf8(*output));
    return finished && m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

SegmentJoiner::Outcome SegmentJoiner::rename(const QStringList &segments, const QString &outputPath)
{
    const QString &segment = segments.first();
    const qint64 frames = Mp3Frames::count(segment);
    const QString target = firstFreeName(outputPath);
    if (!QFile::rename(segment, target)) {
        writeLog(tr("rename fail: ") + target);
        fail(tr("无法重命名录音文件"), segments);
        return Failed;
    }
    // A rename within one folder moves no data, but a copy across devices
    // could fall short; the file must hold what the segment held.
    if (Mp3Frames::count(target) < frames) {
        writeLog(tr("rename fail: ") + target);
        if (!QFileInfo::exists(segment))
            QFile::rename(target, segment);
        fail(tr("重命名后的文件不完整"), segments);
        return Failed;
    }
    m_writtenPath = target;
    return Written;
}

void SegmentJoiner::fail(const QString &reason, const QStringList &kept)
{
    const QString folder = kept.isEmpty() ? QString() : folderOf(kept.first());
    m_failureReason = folder.isEmpty() ? reason : tr("%1，录音片段保存在 %2").arg(reason, folder);
    writeLog(logTimestamp() + QStringLiteral("segments kept: ") + kept.join(QStringLiteral(", ")));
}

QString SegmentJoiner::firstFreeName(const QString &path)
{
    return QFileInfo::exists(path) ? firstFreeVariant(path, QStringLiteral("(%1)")) : path;
}

QString SegmentJoiner::firstFreeVariant(const QString &path, const QString &markerTemplate)
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

QString SegmentJoiner::concatListLine(const QString &segmentPath)
{
    // Inside single quotes nothing is special except the quote itself, which
    // is written as: close the quote, an escaped quote, open it again.
    QString escaped = segmentPath;
    escaped.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QStringLiteral("file '") + escaped + QStringLiteral("'\n");
}
