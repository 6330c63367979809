// How the real program ends while it records: a window-manager close request,
// a kill, and a second copy started beside it. The recording must survive each.
#include "AudioTestSupport.h"
#include "RecordingSteps.h"
#include "RecoveryChecks.h"
#include "RunningProgram.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace RecoveryChecks;

class TestRecoveryExit : public QObject
{
    Q_OBJECT

private:
    int runCount = 0;
    RunningProgram *current = nullptr;

    QString freshRun(RunningProgram **program)
    {
        const QString dir = TestSupport::testRoot() + QStringLiteral("/exit%1").arg(++runCount);
        if (!RunningProgram::copyProgramFolder(dir + QStringLiteral("/bin")))
            return QString();
        // The previous test's program ends first, however that test ended.
        delete current;
        current = *program = new RunningProgram(dir + QStringLiteral("/bin"), this);
        (*program)->setHome(dir + QStringLiteral("/home"));
        return dir;
    }

    static void checkTone(const QString &file, double minimumSeconds)
    {
        const EngineTest::Probe probe = EngineTest::probe(file);
        QCOMPARE(probe.codecName, QStringLiteral("mp3"));
        QVERIFY2(probe.duration >= minimumSeconds,
                 qPrintable(QStringLiteral("%1: %2 s").arg(file).arg(probe.duration)));
        const EngineTest::ToneContent tone = EngineTest::toneContent(file);
        QVERIFY2(tone.share440 > 0.8, qPrintable(QString::number(tone.share440)));
    }

private slots:
    void closeRequestFinishesTheRecording_data()
    {
        // The steps leave a recording running or paused when the close request comes.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("recordings");
        QTest::newRow("recording") << QStringList{"F7", "wait 1 1 2"} << 1;
        QTest::newRow("paused, list window open")
            << QStringList{"F7", "wait 1 1 1.5", "F9", "F7", "wait 2 1 1.5", "F8", "F7", "wait 2 2 1.5", "F8"}
            << 2;
    }

    void closeRequestFinishesTheRecording()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, recordings);
        RunningProgram *program = nullptr;
        QVERIFY(!freshRun(&program).isEmpty());
        QVERIFY(program->start());
        const QString failed = RecordingSteps::play(*program, steps);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        if (recordings > 1) {
            QVERIFY(program->waitForLog(QStringLiteral("pause record: "), 2));
            QVERIFY2(program->visibleWindows().size() >= 2, "the recordings list is not open");
        }

        QVERIFY(program->sendCloseRequest());
        QVERIFY(program->waitForExit(60000));
        QCOMPARE(program->exitCode(), 0);

        QCOMPARE(segmentFiles(program->saveFolder()), QStringList());
        const QStringList finished = finishedFiles(program->saveFolder());
        QCOMPARE(finished.size(), recordings);
        for (const QString &file : finished) {
            checkTone(file, 1.0);
            QVERIFY2(program->catalogueText().contains(QFileInfo(file).fileName()), qPrintable(file));
        }
        // The recording cut by the close holds all its segments encoded.
        const double recorded = RecordingSteps::sum(program->encodedSecondsOfLastRecording());
        double newest = 0;
        for (const QString &file : finished)
            newest = qMax(newest, QFileInfo(file).lastModified().toMSecsSinceEpoch() / 1000.0);
        QString cut;
        for (const QString &file : finished) {
            if (QFileInfo(file).lastModified().toMSecsSinceEpoch() / 1000.0 == newest)
                cut = file;
        }
        const double duration = EngineTest::probe(cut).duration;
        QVERIFY2(recorded > 1.0 && qAbs(duration - recorded) < 0.15,
                 qPrintable(QStringLiteral("file %1 s, recorded %2 s").arg(duration).arg(recorded)));
    }

    void killedProgramEndsItsCapture()
    {
        RunningProgram *program = nullptr;
        const QString dir = freshRun(&program);
        QVERIFY(!dir.isEmpty());
        QVERIFY(program->start());
        QString failed = RecordingSteps::play(*program, {"F7", "wait 1 1 2"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const QList<qint64> captures = program->captureProcesses();
        QCOMPARE(captures.size(), 1);

        program->killHard();
        // The capture ends with the program, not whenever someone notices.
        QTRY_VERIFY_WITH_TIMEOUT(!EngineTest::processAlive(captures.first()), 1000);

        // It ended cleanly: the segment is a whole MP3 with the tone.
        const QString segment = program->saveFolder() + QStringLiteral("0.mp3");
        checkTone(segment, 1.0);
        const QStringList packets = EngineTest::packetHashes(segment);
        QVERIFY(!packets.isEmpty());

        // The next start moves the leftover aside instead of recording over it.
        QVERIFY(program->start());
        failed = RecordingSteps::play(*program, {"F7", "wait 2 1 1"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(program->waitForLog(QStringLiteral("moved earlier file aside: ")));
        const QString aside = program->saveFolder() + QStringLiteral("0_earlier1.mp3");
        QCOMPARE(EngineTest::packetHashes(aside), packets);
        program->press(QStringLiteral("F9"));
        QVERIFY(program->waitForLog(QStringLiteral("stop record: ")));
        QTRY_COMPARE_WITH_TIMEOUT(finishedFiles(program->saveFolder()).size(), 2, 30000); // + the aside file
        QCOMPARE(EngineTest::packetHashes(aside), packets);
        QVERIFY(program->sendCloseRequest());
        QVERIFY(program->waitForExit(30000));
    }

    void secondCopyLeavesTheFirstRecording()
    {
        RunningProgram *program = nullptr;
        QVERIFY(!freshRun(&program).isEmpty());
        QVERIFY(program->start());
        QString failed = RecordingSteps::play(*program, {"F7", "wait 1 1 1"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));

        QString errorOutput;
        QCOMPARE(program->runAnotherCopy(20000, &errorOutput), 0);
        QVERIFY2(errorOutput.contains(QLatin1String("already running")), qPrintable(errorOutput));
        QVERIFY(program->isRunning());
        // The first copy shows the notice "录音软件已经在运行".
        QTRY_VERIFY_WITH_TIMEOUT(program->visibleWindows().size() >= 2, 10000);
        QTest::qWait(500);
        program->screenshot(QStringLiteral("second-instance.png"));
        QCOMPARE(RunningProgram::processesWriting(program->saveFolder()).size(), 1);

        failed = RecordingSteps::play(*program, {"wait 1 1 2.5", "F9"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(program->waitForLog(QStringLiteral("stop record: ")));
        QTRY_COMPARE_WITH_TIMEOUT(finishedFiles(program->saveFolder()).size(), 1, 30000);
        const QString file = finishedFiles(program->saveFolder()).first();
        checkTone(file, 2.0);
        const double recorded = RecordingSteps::sum(program->encodedSecondsOfLastRecording());
        QVERIFY(qAbs(EngineTest::probe(file).duration - recorded) < 0.15);
        QVERIFY(program->sendCloseRequest());
        QVERIFY(program->waitForExit(30000));
    }
};

// A GUI application: its display connection keeps the test display from resetting
// between two runs of the program.
QTEST_MAIN(TestRecoveryExit)
#include "tst_recoveryexit.moc"
