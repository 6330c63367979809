// Engine timings against the capture tool used directly:
//  - stop to final file for 1, 10 and 100 segments of 3 s each, against
//    running ffmpeg's concat on the same files;
//  - start to capture (startRecord, device listing included, until the
//    segment file exists, and until the tool reports encoded audio), against
//    starting ffmpeg on the same sound input.
// Run inside the test environment (bench/run.sh): it needs the sound server.

#include "BenchSupport.h"
#include "Platform.h"
#include "RecordAudioCore.h"
#include "SegmentJoiner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int Repeats = 3;
const double SegmentSeconds = 3.0;

bool runQuietly(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool copyAll(const QStringList &from, const QStringList &to)
{
    for (int i = 0; i < from.size(); ++i) {
        QFile::remove(to.at(i));
        if (!QFile::copy(from.at(i), to.at(i)))
            return false;
    }
    return true;
}

struct Row
{
    QString what;
    double engineMs;
    double directMs;
};

bool benchFinalisation(const QString &work, int segments, Row &row)
{
    const QString master = work + QStringLiteral("/master%1/").arg(segments);
    const QString save = work + QStringLiteral("/save%1/").arg(segments);
    QDir().mkpath(master);
    QDir().mkpath(save);
    QStringList masters, copies;
    for (int i = 0; i < segments; ++i) {
        masters << master + QStringLiteral("%1.mp3").arg(i);
        copies << save + QStringLiteral("%1.mp3").arg(i);
        if (!QFile::exists(masters.last()) &&
            !runQuietly(
                QStringLiteral("ffmpeg"),
                {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                 QStringLiteral("sine=frequency=%1:duration=%2").arg(300 + 10 * (i % 50)).arg(SegmentSeconds),
                 "-ab", "128k", masters.last()}))
            return false;
    }

    std::vector<double> engineTimes, directTimes;
    for (int r = 0; r < Repeats; ++r) {
        if (!copyAll(masters, copies))
            return false;
        SegmentJoiner joiner;
        QStringList segmentList = copies;
        const QString out = save + QStringLiteral("engine.mp3");
        QFile::remove(out);
        QElapsedTimer t;
        t.start();
        joiner.finalise(segmentList, segments - 1, out);
        engineTimes.push_back(t.nsecsElapsed() / 1e6);
        if (joiner.writtenPath() != out)
            return false;

        if (!copyAll(masters, copies))
            return false;
        const QString list = save + QStringLiteral("direct.txt");
        QFile listFile(list);
        if (!listFile.open(QIODevice::WriteOnly))
            return false;
        for (const QString &c : copies)
            listFile.write("file '" + c.toUtf8() + "'\n");
        listFile.close();
        const QString direct = save + QStringLiteral("direct.mp3");
        t.restart();
        if (!runQuietly(QStringLiteral("ffmpeg"),
                        {"-nostdin", "-f", "concat", "-safe", "0", "-i", list, "-c", "copy", direct, "-y"}))
            return false;
        directTimes.push_back(t.nsecsElapsed() / 1e6);
    }
    row = {QStringLiteral("stop to final file, %1 segment%2").arg(segments).arg(segments == 1 ? "" : "s"),
           median(engineTimes), median(directTimes)};
    return true;
}

bool benchStart(const QString &work, Row &created, Row &encoding)
{
    const QString save = work + QStringLiteral("/start/");
    QDir().mkpath(save);
    std::vector<double> engineTimes, directTimes, engineCreated, directCreated;
    for (int r = 0; r < Repeats; ++r) {
        QFile::remove(Platform::applicationDir() + QStringLiteral("/log.txt"));
        QFile::remove(save + QStringLiteral("0.mp3"));
        RecordAudioCore engine(nullptr);
        engine.segmentDir = save;
        engine.audioSource = SystemSound;
        QElapsedTimer t;
        t.start();
        engine.startRecord();
        bool started = false;
        double createdMs = -1;
        while (!started && t.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
            const bool exists = QFile::exists(save + QStringLiteral("0.mp3"));
            if (exists && createdMs < 0)
                createdMs = t.nsecsElapsed() / 1e6;
            QFile log(Platform::applicationDir() + QStringLiteral("/log.txt"));
            started = exists && log.open(QIODevice::ReadOnly) &&
                      showsEncodedAudio(QString::fromUtf8(log.readAll()));
        }
        const double engineMs = t.nsecsElapsed() / 1e6;
        engine.stopRecord(save + QStringLiteral("engine%1.mp3").arg(r));
        if (!started)
            return false;
        engineTimes.push_back(engineMs);
        engineCreated.push_back(createdMs);

        const QString direct = save + QStringLiteral("direct%1.mp3").arg(r);
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
        QString output;
        t.restart();
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {"-y", "-f", "pulse", "-i", "speakers.monitor", "-ab", "128k", direct});
        started = false;
        createdMs = -1;
        while (!started && t.elapsed() < 30000) {
            ffmpeg.waitForReadyRead(5);
            output += QString::fromUtf8(ffmpeg.readAll());
            const bool exists = QFile::exists(direct);
            if (exists && createdMs < 0)
                createdMs = t.nsecsElapsed() / 1e6;
            started = exists && showsEncodedAudio(output);
        }
        const double directMs = t.nsecsElapsed() / 1e6;
        ffmpeg.write("q");
        ffmpeg.waitForFinished(30000);
        if (!started)
            return false;
        directTimes.push_back(directMs);
        directCreated.push_back(createdMs);
    }
    created = {QStringLiteral("start to segment file created"), median(engineCreated), median(directCreated)};
    encoding = {QStringLiteral("start to audio encoded"), median(engineTimes), median(directTimes)};
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietDebug);
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    QTemporaryDir appDir;
    if (!work.isValid() || !appDir.isValid())
        return 1;
    Platform::setApplicationDirForTesting(appDir.path());

    std::vector<Row> rows;
    for (int segments : {1, 10, 100}) {
        Row row;
        if (!benchFinalisation(work.path(), segments, row)) {
            std::fprintf(stderr, "finalisation of %d segments failed\n", segments);
            return 1;
        }
        rows.push_back(row);
    }
    Row created, encoding;
    if (!benchStart(work.path(), created, encoding)) {
        std::fprintf(stderr, "the capture did not start\n");
        return 1;
    }
    rows.push_back(created);
    rows.push_back(encoding);

    QTextStream out(stdout);
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("measure (median of %1)").arg(Repeats), -42)
               .arg(QStringLiteral("engine ms"), 10)
               .arg(QStringLiteral("ffmpeg ms"), 10)
               .arg(QStringLiteral("ratio"), 6);
    for (const Row &r : rows)
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(r.what, -42)
                   .arg(r.engineMs, 10, 'f', 1)
                   .arg(r.directMs, 10, 'f', 1)
                   .arg(r.directMs > 0 ? r.engineMs / r.directMs : 0, 6, 'f', 2);
    return 0;
}
