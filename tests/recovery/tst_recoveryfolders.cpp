// The real program with folders that refuse it: a save folder on a disk that
// fills up, and a program folder it may not write to.
#include "AudioTestSupport.h"
#include "RecordingSteps.h"
#include "RecoveryChecks.h"
#include "RunningProgram.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QtTest>

using namespace RecoveryChecks;

namespace {
// A small tmpfs mounted for the test's life and unmounted however it ends.
class TmpfsMount
{
public:
    TmpfsMount(const QString &dir, const QString &size) : m_dir(dir)
    {
        QDir().mkpath(dir);
        QProcess mount;
        mount.setProcessChannelMode(QProcess::MergedChannels);
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", dir});
        m_mounted =
            mount.waitForFinished() && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
        m_error = QString::fromLocal8Bit(mount.readAll()).trimmed();
    }
    ~TmpfsMount()
    {
        if (!m_mounted)
            return;
        if (QProcess::execute(QStringLiteral("umount"), {m_dir}) != 0)
            QProcess::execute(QStringLiteral("umount"), {"-l", m_dir});
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }

private:
    QString m_dir;
    bool m_mounted = false;
    QString m_error;
};

// Gives a folder made read-only back its write bits, so that it can be removed.
class ModeGuard
{
public:
    explicit ModeGuard(const QString &dir) : m_dir(dir) {}
    ~ModeGuard() { QProcess::execute(QStringLiteral("chmod"), {"755", m_dir}); }
    ModeGuard(const ModeGuard &) = delete;
    ModeGuard &operator=(const ModeGuard &) = delete;

private:
    QString m_dir;
};

const QStringList WithoutDacOverride{"setpriv", "--inh-caps=-dac_override,-dac_read_search",
                                     "--bounding-set=-dac_override,-dac_read_search", "--"};
} // namespace

class TestRecoveryFolders : public QObject
{
    Q_OBJECT

private:
    int runCount = 0;

    QString freshDir()
    {
        const QString dir = TestSupport::testRoot() + QStringLiteral("/folders%1").arg(++runCount);
        return RunningProgram::copyProgramFolder(dir + QStringLiteral("/bin")) ? dir : QString();
    }

private slots:
    void fullDisk_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("segmentsComplete");
        // 128 kbit/s: 16 kB a second. The second row's last segment runs
        // until the disk is full, which ends the capture by itself (ffmpeg
        // gives up on the failed write) or is stopped with F9.
        QTest::newRow("the join does not fit")
            << "150k" << QStringList{"F7", "wait 1 1 3", "F8", "F7", "wait 1 2 3", "F9"} << true;
        QTest::newRow("the capture fills the disk")
            << "100k" << QStringList{"F7", "wait 1 1 3", "F8", "F7"} << false;
    }

    void fullDisk()
    {
        QFETCH(QString, size);
        QFETCH(QStringList, steps);
        QFETCH(bool, segmentsComplete);
        const QString dir = freshDir();
        QVERIFY(!dir.isEmpty());
        const QString home = dir + QStringLiteral("/home");
        // Declared before the program: unmounted after the program has ended.
        TmpfsMount disk(home + QStringLiteral("/Documents/ZeltoAudioRecord"), size);
        if (!disk.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here (needs root): ") + disk.error()));
        RunningProgram program(dir + QStringLiteral("/bin"));
        program.setHome(home);
        QVERIFY(program.start());

        const QString failed = RecordingSteps::play(program, steps);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        if (!segmentsComplete) {
            QVERIFY(program.waitForLog(QStringLiteral("resume record: ")));
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return TestSupport::logText(program.applicationDir())
                               .contains(QLatin1String("No space left on device")) ||
                           program.segmentSecondsOfLastRecording().value(1) > 6;
                },
                30000));
            QTest::qWait(1000);
            if (program.logLines().filter(QStringLiteral("capture failed: ")).isEmpty())
                program.press(QStringLiteral("F9"));
        }
        QVERIFY(program.waitForLog(QStringLiteral("stop record: ")));
        QVERIFY(program.waitForLog(QStringLiteral("segments kept: ")));
        // The user is told; the notice names the folder of the segments.
        QTRY_VERIFY_WITH_TIMEOUT(program.visibleWindows().size() >= 2, 10000);
        QTest::qWait(500);
        program.screenshot(QStringLiteral("full-disk-%1.png").arg(QTest::currentDataTag()).replace(' ', '-'));

        const QString log = TestSupport::logText(program.applicationDir());
        QVERIFY(log.contains(QLatin1String("No space left on device")));
        QVERIFY(log.contains(QLatin1String("concat fail")));
        QVERIFY(!log.contains(QLatin1String("concat success")));
        // The partial join output is gone, no entry was made, every segment is kept.
        QCOMPARE(finishedFiles(program.saveFolder()), QStringList());
        QVERIFY(!program.catalogueText().contains(QLatin1String("fileName")));
        const QStringList segments = segmentFiles(program.saveFolder());
        QCOMPARE(segments.size(), 2);
        double kept = 0;
        for (const QString &segment : segments) {
            const EngineTest::Probe probe = EngineTest::probe(segment);
            QCOMPARE(probe.codecName, QStringLiteral("mp3"));
            QVERIFY2(EngineTest::toneContent(segment).share440 > 0.8, qPrintable(segment));
            kept += probe.duration;
        }
        const QList<double> recorded = program.encodedSecondsOfLastRecording();
        if (segmentsComplete)
            QVERIFY2(
                qAbs(kept - RecordingSteps::sum(recorded)) < 0.15,
                qPrintable(
                    QStringLiteral("kept %1 s, recorded %2 s").arg(kept).arg(RecordingSteps::sum(recorded))));
        else
            QVERIFY2(kept > recorded.value(0) - 0.15, qPrintable(QString::number(kept)));

        QVERIFY(program.sendCloseRequest());
        QVERIFY(program.waitForExit(30000));
    }

    void readOnlyProgramFolder()
    {
        if (QProcess::execute(WithoutDacOverride.first(), WithoutDacOverride.mid(1) << "true") != 0)
            QSKIP("setpriv cannot drop the capabilities here");
        const QString dir = freshDir();
        QVERIFY(!dir.isEmpty());
        const QString bin = dir + QStringLiteral("/bin");
        // A catalogue from the time the program could still write beside itself.
        const QByteArray earlier = "[\n    {\n        \"audioLength\": \"00:00:05\",\n"
                                   "        \"date\": \"2024-03-01 09:05:31\",\n"
                                   "        \"fileName\": \"earlier take.mp3\",\n"
                                   "        \"size\": \"0.08MB\"\n    }\n]\n";
        QVERIFY(EngineTest::writeFile(bin + QStringLiteral("/Brevane.json"), earlier));
        ModeGuard writable(bin);
        QCOMPARE(QProcess::execute(QStringLiteral("chmod"), {"555", bin}), 0);

        RunningProgram program(bin);
        program.setHome(dir + QStringLiteral("/home"));
        const QString dataDir = dir + QStringLiteral("/home/.local/share/Brevane");
        program.setApplicationDir(dataDir);
        program.setLauncher(WithoutDacOverride);
        QVERIFY(program.start());

        const QString failed =
            RecordingSteps::play(program, {"F7", "wait 1 1 2", "F8", "F7", "wait 1 2 2", "F9"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(program.waitForLog(QStringLiteral("concat success")));
        QTRY_COMPARE_WITH_TIMEOUT(finishedFiles(program.saveFolder()).size(), 1, 30000);
        const QString file = finishedFiles(program.saveFolder()).first();
        QCOMPARE(segmentFiles(program.saveFolder()), QStringList());
        const double recorded = RecordingSteps::sum(program.encodedSecondsOfLastRecording());
        QVERIFY(qAbs(EngineTest::probe(file).duration - recorded) < 0.15);
        QVERIFY(EngineTest::toneContent(file).share440 > 0.8);

        // The program's own files went to the data folder, which the log names once.
        for (const char *name : {"merge.txt", "log.txt", "Brevane.json"}) {
            QVERIFY2(QFileInfo::exists(dataDir + QLatin1Char('/') + QLatin1String(name)), name);
            QVERIFY2(!QFileInfo::exists(bin + QLatin1Char('/') + QLatin1String(name)) ||
                         QLatin1String(name) == QLatin1String("Brevane.json"),
                     name);
        }
        const QStringList moved = program.logLines().filter(
            QStringLiteral("program folder is not writable, program files are kept in: "));
        QCOMPARE(moved,
                 QStringList{QStringLiteral("program folder is not writable, program files are kept in: ") +
                             dataDir});
        // The earlier catalogue was read: its entry stays, the new one follows it.
        const QString catalogue = program.catalogueText();
        QVERIFY2(catalogue.contains(QLatin1String("\"earlier take.mp3\"")), qPrintable(catalogue));
        QVERIFY2(catalogue.contains(QFileInfo(file).fileName()), qPrintable(catalogue));
        QVERIFY(catalogue.indexOf(QLatin1String("\"earlier take.mp3\"")) <
                catalogue.indexOf(QFileInfo(file).fileName()));
        QCOMPARE(EngineTest::readFile(bin + QStringLiteral("/Brevane.json")), earlier);

        QVERIFY(program.sendCloseRequest());
        QVERIFY(program.waitForExit(30000));
    }
};

// A GUI application: its display connection keeps the test display from resetting
// between two runs of the program.
QTEST_MAIN(TestRecoveryFolders)
#include "tst_recoveryfolders.moc"
