// Recordings list and catalogue timings:
//  - refresh of the list window for 100, 1,000 and 10,000 catalogue entries
//    (read the file, build the rows, newest first);
//  - one append (entry built from a real file, whole catalogue written
//    atomically) to a catalogue of 10,000 entries.
// Each figure is the median of a few runs in milliseconds, with the
// process's peak resident memory after that step.
// Runs without a display (offscreen platform) when none is set.

#include "BenchSupport.h"
#include "Platform.h"
#include "RecordingCatalogue.h"
#include "VoiceList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QVector<RecordingEntry> sampleEntries(int count)
{
    QVector<RecordingEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int s = i % 86400;
        const QString stem = QStringLiteral("%1_%2_%3")
                                 .arg(s / 3600, 2, 10, QLatin1Char('0'))
                                 .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(s % 60, 2, 10, QLatin1Char('0'));
        entries.append(
            {stem + QStringLiteral(".mp3"), RecordingCatalogue::sizeText(qint64(i) * 7919 % 50000000),
             QStringLiteral("2024-03-05 ") + QString(stem).replace(QLatin1Char('_'), QLatin1Char(':')),
             QStringLiteral("00:%1:%2")
                 .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                 .arg(i % 60, 2, 10, QLatin1Char('0'))});
    }
    return entries;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    Platform::setApplicationDirForTesting(dir.path());
    const QString file = dir.path() + QStringLiteral("/Brevane.json");

    std::printf("%-40s %10s %14s\n", "step", "ms", "peak RSS kB");
    VoiceList list(file);
    list.show();
    QCoreApplication::processEvents();
    std::vector<int> counts{100, 1000, 10000};
    if (!qEnvironmentVariableIsEmpty("BENCH_MAX_ENTRIES"))
        counts.erase(
            std::remove_if(counts.begin(), counts.end(),
                           [](int c) { return c > qEnvironmentVariableIntValue("BENCH_MAX_ENTRIES"); }),
            counts.end());
    for (int count : counts) {
        if (!writeFile(file, RecordingCatalogue::writtenForm(sampleEntries(count))))
            return 1;
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            // As in the program: refresh, then the event loop lays out and
            // polishes the new rows and paints the shown window.
            list.refresh();
            QCoreApplication::processEvents();
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("%-40s %10.1f %14ld\n", qPrintable(QStringLiteral("refresh, %1 entries").arg(count)),
                    median(times), peakKilobytes());
        std::fflush(stdout);
    }

    // Append to 10,000 entries: the entry of a real file, then the whole
    // catalogue written through QSaveFile.
    const QString recording = dir.path() + QStringLiteral("/12_00_00.mp3");
    writeFile(recording, QByteArray(1234567, 'x'));
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        if (!writeFile(file, RecordingCatalogue::writtenForm(sampleEntries(10000))))
            return 1;
        RecordingCatalogue catalogue(file);
        catalogue.load();
        QElapsedTimer timer;
        timer.start();
        catalogue.append(recording, QStringLiteral("00:01:00"));
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("%-40s %10.1f %14ld\n", "append at 10000 entries", median(times), peakKilobytes());
    return 0;
}
