// The real program driven by real key presses: a segment ended before it held
// audio (a double press) and a save folder whose path holds double quotes and
// blanks. Every result is checked by decoding the files.
#include "AudioTestSupport.h"
#include "RecordingSteps.h"
#include "RecoveryChecks.h"
#include "RunningProgram.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace RecoveryChecks;

class TestRecoveryKeys : public QObject
{
    Q_OBJECT

private:
    int runCount = 0;
    RunningProgram *current = nullptr;

    // A fresh copy of the program folder and a home folder of its own.
    QString freshRun(RunningProgram **program, const QString &homeName = QStringLiteral("home"))
    {
        const QString dir = TestSupport::testRoot() + QStringLiteral("/keys%1").arg(++runCount);
        if (!RunningProgram::copyProgramFolder(dir + QStringLiteral("/bin")))
            return QString();
        // The previous test's program ends first, however that test ended.
        delete current;
        current = *program = new RunningProgram(dir + QStringLiteral("/bin"), this);
        (*program)->setHome(dir + QLatin1Char('/') + homeName);
        return dir;
    }

    // One finished file in the save folder holding the recorded segments'
    // audio, no segment left behind, and an entry in the catalogue.
    void checkOneCompleteRecording(RunningProgram &program)
    {
        const QStringList finished = finishedFiles(program.saveFolder());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(segmentFiles(program.saveFolder()), QStringList());
        QCOMPARE(QDir(program.saveFolder()).entryList({QStringLiteral("*earlier*")}), QStringList());

        const double recorded = RecordingSteps::sum(program.encodedSecondsOfLastRecording());
        const EngineTest::Probe probe = EngineTest::probe(finished.first());
        QCOMPARE(probe.codecName, QStringLiteral("mp3"));
        // A stream copy keeps every frame of the segments.
        QVERIFY2(qAbs(probe.duration - recorded) < 0.15,
                 qPrintable(QStringLiteral("file %1 s, segments %2 s").arg(probe.duration).arg(recorded)));
        const EngineTest::ToneContent tone = EngineTest::toneContent(finished.first());
        QVERIFY2(tone.share440 > 0.8, qPrintable(QString::number(tone.share440)));
        QVERIFY(program.catalogueText().contains(QFileInfo(finished.first()).fileName()));
    }

    void closeProgram(RunningProgram &program)
    {
        QVERIFY(program.sendCloseRequest());
        QVERIFY(program.waitForExit(30000));
        QCOMPARE(program.exitCode(), 0);
    }

private slots:
    void segmentEndedBeforeAudio_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shot");
        QTest::newRow("paused at once, resumed")
            << QStringList{"F7 F8", "F7", "wait 1 2 2", "F9"} << "double-press-start.png";
        QTest::newRow("resumed and paused again at once")
            << QStringList{"F7", "wait 1 1 2", "F8", "F7 F8", "F7", "wait 1 3 2", "F9"}
            << "double-press-resume.png";
    }

    void segmentEndedBeforeAudio()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, shot);
        RunningProgram *program = nullptr;
        QVERIFY(!freshRun(&program).isEmpty());
        QVERIFY(program->start());

        const QString failed = RecordingSteps::play(*program, steps);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(program->waitForLog(QStringLiteral("stop record: ")));
        QVERIFY(QTest::qWaitFor([&] { return !finishedFiles(program->saveFolder()).isEmpty(); }, 30000));
        // The segment cut short was left out rather than breaking the join.
        QVERIFY(program->waitForLog(QStringLiteral("segment without audio left out: ")));
        QTest::qWait(500);
        program->screenshot(shot);
        checkOneCompleteRecording(*program);
        closeProgram(*program);
    }

    void stopAtOnceRecordsNothing()
    {
        RunningProgram *program = nullptr;
        QVERIFY(!freshRun(&program).isEmpty());
        QVERIFY(program->start());
        program->press(QStringLiteral("F7 F9"));
        QVERIFY(program->waitForLog(QStringLiteral("nothing recorded")));
        // The notice "没有录到声音" opens beside the main window.
        QTRY_VERIFY_WITH_TIMEOUT(program->visibleWindows().size() >= 2, 10000);
        QTest::qWait(500);
        program->screenshot(QStringLiteral("nothing-recorded.png"));
        QCOMPARE(QDir(program->saveFolder()).entryList(QDir::Files), QStringList());
        QVERIFY(!program->catalogueText().contains(QLatin1String("fileName")));
        closeProgram(*program);
    }

    void quotesInTheSaveFolder()
    {
        // The home folder itself carries the quotes, so the default save
        // folder below it does too.
        RunningProgram *program = nullptr;
        QVERIFY(!freshRun(&program, QStringLiteral("a \"b\" c")).isEmpty());
        QVERIFY(program->saveFolder().contains(QLatin1String("/a \"b\" c/")));
        QVERIFY(program->start());
        const QString failed =
            RecordingSteps::play(*program, {"F7", "wait 1 1 2", "F8", "F7", "wait 1 2 2", "F9"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(program->waitForLog(QStringLiteral("concat success")));
        checkOneCompleteRecording(*program);
        closeProgram(*program);
    }
};

// A GUI application: its display connection keeps the test display from resetting
// between two runs of the program.
QTEST_MAIN(TestRecoveryKeys)
#include "tst_recoverykeys.moc"
