// Start of a recording as the user sees it: from the main window's
// slot_startRecordSound (device listing, command composition, process start)
// until the capture process is running and writing encoded audio, against
// starting ffmpeg directly on the same sound input. Prints the medians and
// their ratio. Run inside the test environment (bench/run.sh).

#include "BenchSupport.h"
#include "Brevane.h"
#include "Platform.h"
#include "RecordAudioCore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int Repeats = 5;

bool writing(const QString &file)
{
    return QFile::exists(file) && QFileInfo(file).size() > 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);
    QTemporaryDir home;
    Platform::setApplicationDirForTesting(home.path());

    Brevane window;
    const QString save = home.path() + QStringLiteral("/save");
    QDir().mkpath(save);
    window.setSaveFolder(save);
    auto *engine = window.findChild<RecordAudioCore *>(QStringLiteral("engine"));

    std::vector<double> programMs, directMs;
    for (int r = 0; r < Repeats; ++r) {
        QFile::remove(home.path() + QStringLiteral("/log.txt"));
        QElapsedTimer t;
        t.start();
        window.slot_startRecordSound();
        bool started = false;
        while (!started && t.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
            const QString segment = engine->segmentFiles().value(0);
            QFile log(home.path() + QStringLiteral("/log.txt"));
            started = writing(segment) && log.open(QIODevice::ReadOnly) &&
                      showsEncodedAudio(QString::fromUtf8(log.readAll()));
        }
        const double ms = t.nsecsElapsed() / 1e6;
        window.slot_EndRecordSound();
        // The list window shows itself after every recording.
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != &window)
                top->hide();
        if (!started) {
            std::fprintf(stderr, "the program's capture did not start\n");
            return 1;
        }
        programMs.push_back(ms);

        const QString direct = home.path() + QStringLiteral("/direct%1.mp3").arg(r);
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
        QString output;
        t.restart();
        ffmpeg.start(QStringLiteral("ffmpeg"), {"-y", "-f", "pulse", "-i", "speakers.monitor", "-ab", "128k",
                                                "-flush_packets", "1", direct});
        started = false;
        while (!started && t.elapsed() < 30000) {
            ffmpeg.waitForReadyRead(5);
            output += QString::fromUtf8(ffmpeg.readAll());
            started = writing(direct) && showsEncodedAudio(output);
        }
        directMs.push_back(t.nsecsElapsed() / 1e6);
        ffmpeg.write("q");
        ffmpeg.waitForFinished(30000);
        if (!started) {
            std::fprintf(stderr, "ffmpeg used directly did not start\n");
            return 1;
        }
    }
    const double p = median(programMs), d = median(directMs);
    std::printf("%-58s %10s %10s %7s\n", "median of 5", "program ms", "ffmpeg ms", "ratio");
    std::printf("%-58s %10.1f %10.1f %7.2f\n", "slot_startRecordSound to capture running and writing", p, d,
                d > 0 ? p / d : 0.0);
    return 0;
}
