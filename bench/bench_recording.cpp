// How much of the recorded time ends up in the file: audio kept / wall time
// recorded, for a 20 s recording and for one with 10 pauses, through the
// engine and through ffmpeg used directly on the same sound input in the same
// run; the engine's first recording after launch against its later ones.
// Run inside the test environment (bench/run.sh): it needs the sound server.

#include "BenchSupport.h"
#include "Platform.h"
#include "RecordAudioCore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

const double RecordSeconds = 20.0;
const int Pauses = 10;
const int PauseGapMs = 500;

// Keeps the event loop running (the engine reads the tool's output through it).
void spin(qint64 ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double durationOf(const QString &path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", path});
    probe.waitForFinished(60000);
    return probe.readAllStandardOutput().trimmed().toDouble();
}

QString systemSoundSource()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {"get-default-sink"});
    pactl.waitForFinished(10000);
    return QString::fromUtf8(pactl.readAllStandardOutput()).trimmed() + QStringLiteral(".monitor");
}

struct Row
{
    QString what;
    double keptSeconds = 0;
    double wallSeconds = 0;
};

// The recording time is split into pieces of equal length with a pause
// between two pieces; the wall time counts the pieces only.
std::vector<qint64> pieces(int pauses)
{
    const qint64 total = static_cast<qint64>(RecordSeconds * 1000);
    return std::vector<qint64>(static_cast<size_t>(pauses + 1), total / (pauses + 1));
}

bool recordWithEngine(RecordAudioCore &engine, const QString &dir, int pauses, const QString &name, Row &row)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    engine.segmentDir = dir + QLatin1Char('/');
    row.what = name;
    QElapsedTimer piece;
    const std::vector<qint64> lengths = pieces(pauses);
    for (size_t i = 0; i < lengths.size(); ++i) {
        piece.start();
        if (i == 0)
            engine.startRecord();
        else
            engine.resumeRecord();
        spin(lengths[i] - piece.elapsed());
        if (i + 1 < lengths.size()) {
            row.wallSeconds += piece.elapsed() / 1000.0;
            engine.pauseRecord();
            spin(PauseGapMs);
        }
    }
    row.wallSeconds += piece.elapsed() / 1000.0;
    engine.stopRecord(dir + QStringLiteral("/final.mp3"));
    if (engine.writtenPath().isEmpty())
        return false;
    row.keptSeconds = durationOf(engine.writtenPath());
    return true;
}

bool recordDirectly(const QString &source, const QString &dir, int pauses, const QString &name, Row &row)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    row.what = name;
    const std::vector<qint64> lengths = pieces(pauses);
    for (size_t i = 0; i < lengths.size(); ++i) {
        const QString file = dir + QStringLiteral("/%1.mp3").arg(i);
        QProcess capture;
        QElapsedTimer piece;
        piece.start();
        capture.start(QStringLiteral("ffmpeg"), {"-y", "-f", "pulse", "-i", source, "-ab", "128k", file});
        if (!capture.waitForStarted())
            return false;
        spin(lengths[i] - piece.elapsed());
        row.wallSeconds += piece.elapsed() / 1000.0;
        capture.write("q");
        capture.waitForFinished(30000);
        row.keptSeconds += durationOf(file);
        if (i + 1 < lengths.size())
            spin(PauseGapMs);
    }
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
    const QString source = systemSoundSource();

    RecordAudioCore engine(nullptr);
    std::vector<Row> rows;
    struct Run
    {
        bool engine;
        int pauses;
        const char *name;
    };
    // The engine's first recording comes first, before anything else has
    // touched the sound server from this process.
    const Run runs[] = {
        {true, 0, "engine, 20 s, first after launch"},
        {true, 0, "engine, 20 s, later"},
        {false, 0, "ffmpeg directly, 20 s"},
        {true, Pauses, "engine, 20 s with 10 pauses"},
        {false, Pauses, "ffmpeg directly, 20 s in 11 pieces"},
        {true, 0, "engine, 20 s, later again"},
    };
    int n = 0;
    for (const Run &run : runs) {
        Row row;
        const QString dir = work.path() + QStringLiteral("/run%1").arg(++n);
        const QString name = QString::fromLatin1(run.name);
        const bool ok = run.engine ? recordWithEngine(engine, dir, run.pauses, name, row)
                                   : recordDirectly(source, dir, run.pauses, name, row);
        if (!ok) {
            std::fprintf(stderr, "%s: no recording\n", run.name);
            return 1;
        }
        rows.push_back(row);
    }

    std::printf("%-38s %10s %10s %8s\n", "recording", "kept s", "wall s", "kept/wall");
    for (const Row &row : rows)
        std::printf("%-38s %10.2f %10.2f %8.3f\n", qPrintable(row.what), row.keptSeconds, row.wallSeconds,
                    row.keptSeconds / row.wallSeconds);
    const double engineLater = rows[1].keptSeconds / rows[1].wallSeconds;
    const double direct = rows[2].keptSeconds / rows[2].wallSeconds;
    const double enginePauses = rows[3].keptSeconds / rows[3].wallSeconds;
    const double directPauses = rows[4].keptSeconds / rows[4].wallSeconds;
    const double first = rows[0].keptSeconds / rows[0].wallSeconds;
    std::printf("\nengine / ffmpeg directly, 20 s:          %.3f\n", engineLater / direct);
    std::printf("engine / ffmpeg directly, 10 pauses:     %.3f\n", enginePauses / directPauses);
    std::printf("first after launch / later (engine):     %.3f\n", first / engineLater);
    return 0;
}
