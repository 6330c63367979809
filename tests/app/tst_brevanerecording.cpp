// The recording controller with real captures through the program's
// ffmpeg.exe, and a clock the test sets.
#include "Brevane.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordAudioCore.h"
#include "VoiceList.h"
#include "ui_Brevane.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimerEvent>
#include <QtTest>

namespace {
QStringList logLines(const QString &dir)
{
    QFile file(dir + QStringLiteral("/log.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString floatTime(Brevane &w)
{
    return w.floatWidget->findChild<QLabel *>(QStringLiteral("labelTime"))->text();
}
} // namespace

class TestBrevaneRecording : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir appDir;
    QString root = QString::fromLocal8Bit(qgetenv("QUELLIN_TEST_ROOT"));
    QDateTime now;
    int folderCount = 0;

    // A main window whose clock is the test's, saving into a fresh folder.
    void setUp(Brevane &w)
    {
        now = QDateTime(QDate(2024, 3, 1), QTime(9, 5, 31));
        w.clock = [this] { return now; };
        w.engine->waitLimitMs = 10000;
        const QString folder = root + QStringLiteral("/rec%1/").arg(++folderCount);
        QVERIFY(QDir().mkpath(folder));
        w.saveFolder = folder;
    }

    // Lets the capture run until ffmpeg reports more than a second captured
    // since the mark taken before the segment started.
    int progressMarks() { return logLines(appDir.path()).filter(QStringLiteral("time=00:00:01")).size(); }
    bool waitForAudio(int mark)
    {
        return QTest::qWaitFor([&] { return progressMarks() > mark; }, 30000);
    }

    void advance(Brevane &w, qint64 seconds)
    {
        now = now.addSecs(seconds);
        QTimerEvent tickEvent(w.elapsedTimerId);
        QCoreApplication::sendEvent(&w, &tickEvent);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(appDir.isValid());
        Platform::setApplicationDirForTesting(appDir.path());
        QVERIFY(!root.isEmpty());
    }

    void elapsedTime_data()
    {
        // Steps: "+N" moves the clock by N seconds and ticks; "toggle" is the
        // start/pause control.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("pause left out") << QStringList{"+10", "toggle", "+60", "toggle", "+5"} << "00:00:15";
        QTest::newRow("clock set back") << QStringList{"+10", "-3600", "+5"} << "00:00:15";
        QTest::newRow("clock set back at once") << QStringList{"-7200"} << "00:00:00";
        QTest::newRow("clock set forward") << QStringList{"+10", "+3600"} << "01:00:10";
        QTest::newRow("25 hours") << QStringList{"+90000"} << "01:00:00";
        QTest::newRow("stop in the first second") << QStringList{} << "00:00:00";
    }

    void elapsedTime()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        Brevane w;
        setUp(w);
        int mark = progressMarks();
        w.slot_startRecordSound();
        QCOMPARE(w.recordState, Recording);
        QCOMPARE(w.fileStem, QStringLiteral("09_05_31"));
        QVERIFY(waitForAudio(mark));
        for (const QString &step : steps) {
            if (step == QLatin1String("toggle")) {
                mark = progressMarks();
                w.slot_startRecordSound();
                if (w.recordState == Recording)
                    QVERIFY(waitForAudio(mark));
            } else {
                advance(w, step.toLongLong());
            }
            QVERIFY(w.elapsedSeconds >= 0);
        }
        if (!steps.isEmpty()) {
            QCOMPARE(w.ui->labelTime->text(), shown);
            QCOMPARE(floatTime(w), shown);
        }
        w.slot_EndRecordSound();
        QCOMPARE(w.audioLengthText, shown);
        QCOMPARE(w.recordState, Idle);
        QCOMPARE(floatTime(w), QStringLiteral("00:00:00"));
        // The final file carries the start's time of day.
        QCOMPARE(w.engine->writtenPath, w.saveFolder + QStringLiteral("09_05_31.mp3"));
        QVERIFY(QFileInfo::exists(w.engine->writtenPath));
    }

    void displayFollowsTheState()
    {
        Brevane w;
        setUp(w);
        w.ui->comboBoxQuality->setCurrentIndex(2);
        const QString pauseImage = QStringLiteral("border-image:url(:/images/pause.png)");

        int mark = progressMarks();
        w.slot_startRecordSound();
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("暂停录音(F8)"));
        QCOMPARE(w.ui->btnStart->styleSheet(), pauseImage);
        QCOMPARE(w.ui->labelTime->styleSheet(), QStringLiteral("background:none"));
        QCOMPARE(w.ui->labelTime->text(), QStringLiteral("00:00:00"));
        QCOMPARE(w.engine->bitRate, 320);
        QVERIFY(logLines(appDir.path()).last().contains(QStringLiteral("start record: ")));
        QVERIFY(logLines(appDir.path()).last().contains(QStringLiteral("320k")));
        QVERIFY(waitForAudio(mark));

        // Quality and source changed during the recording wait for the next one.
        w.ui->comboBoxQuality->setCurrentIndex(0);
        w.ui->comboboxVoiceFrom->setCurrentIndex(1);
        w.slot_startRecordSound();
        QCOMPARE(w.recordState, Paused);
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("继续录音(F7)"));
        QCOMPARE(w.ui->btnStart->styleSheet(), QStringLiteral("border-image:url(:/images/wantPlay.png)"));
        QCOMPARE(w.engine->audioSource, 0);

        mark = progressMarks();
        w.slot_startRecordSound();
        QCOMPARE(w.recordState, Recording);
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("暂停录音(F8)"));
        QCOMPARE(w.ui->btnStart->styleSheet(), pauseImage);
        QVERIFY(logLines(appDir.path()).last().contains(QStringLiteral("resume record: ")));
        QVERIFY(logLines(appDir.path())
                    .filter(QStringLiteral("resume record: "))
                    .last()
                    .contains(QStringLiteral("320k")));
        QVERIFY(waitForAudio(mark));

        w.slot_EndRecordSound();
        QCOMPARE(w.recordState, Idle);
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("开始录制(F7)"));
        QCOMPARE(w.ui->btnStart->styleSheet(), QStringLiteral("border-image:url(:/images/noPlay.png)"));
        QCOMPARE(w.ui->labelTime->styleSheet(),
                 QStringLiteral(
                     "color:white;font-size: 49px;background: url(:/images/voice.png) center no-repeat;"));
        QVERIFY(w.ui->labelTime->text().isEmpty());
        QVERIFY(w.voiceList->isVisible());
        QVERIFY(QFileInfo(w.saveFolder + QStringLiteral("09_05_31.mp3")).size() > 0);
        QVERIFY(
            logLines(appDir.path()).contains(QStringLiteral("2024-03-01 09:05:31 stop record: success")) ||
            logLines(appDir.path()).join(QLatin1Char('\n')).contains(QStringLiteral("stop record: success")));

        // Idle display: the next tick shows nothing.
        advance(w, 5);
        QVERIFY(w.ui->labelTime->text().isEmpty());
    }

    void keysToggleTheRecording()
    {
        // F7 and F8 are one command whatever the button says: F8 starts an
        // idle recorder, F7 pauses, F8 resumes; F9 stops.
        Brevane w;
        setUp(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        int mark = progressMarks();
        QTest::keyClick(&w, Qt::Key_F8);
        QCOMPARE(w.recordState, Recording);
        QVERIFY(waitForAudio(mark));
        QTest::keyClick(&w, Qt::Key_F7);
        QCOMPARE(w.recordState, Paused);
        mark = progressMarks();
        QTest::keyClick(&w, Qt::Key_F8);
        QCOMPARE(w.recordState, Recording);
        QVERIFY(waitForAudio(mark));
        QTest::keyClick(&w, Qt::Key_F9);
        QCOMPARE(w.recordState, Idle);
        QVERIFY(QFileInfo(w.saveFolder + QStringLiteral("09_05_31.mp3")).size() > 0);
        // Idle again: F9 changes nothing.
        QTest::keyClick(&w, Qt::Key_F9);
        QCOMPARE(w.recordState, Idle);
    }

    void closingDuringARecordingKeepsTheSegment()
    {
        Brevane w;
        setUp(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int mark = progressMarks();
        w.slot_startRecordSound();
        QVERIFY(waitForAudio(mark));

        w.ui->btnClose->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.engine->captureProcess->state(), QProcess::NotRunning);
        // The capture was killed, not finished: what it wrote stays under the
        // segment's name, and no final file or catalogue entry is made.
        QVERIFY(QFileInfo(w.saveFolder + QStringLiteral("0.mp3")).size() > 0);
        QVERIFY(!QFileInfo::exists(w.saveFolder + QStringLiteral("09_05_31.mp3")));
        QVERIFY(!QFileInfo::exists(appDir.filePath(QStringLiteral("Brevane.json"))));
    }

    void stopWhileIdleDoesNothing()
    {
        Brevane w;
        setUp(w);
        const QStringList before = logLines(appDir.path());
        w.slot_EndRecordSound();
        QCOMPARE(w.recordState, Idle);
        QVERIFY(w.ui->labelTime->text().isEmpty());
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("开始录制(F7)"));
        QVERIFY(w.ui->btnStart->styleSheet().isEmpty());
        QVERIFY(w.voiceList->isHidden());
        QCOMPARE(logLines(appDir.path()), before);
        QVERIFY(QDir(w.saveFolder).isEmpty());
    }

    void captureThatCannotStartIsReported_data()
    {
        QTest::addColumn<QString>("spoil");
        QTest::newRow("folder removed") << "remove";
        QTest::newRow("folder replaced by a file") << "file";
    }

    void captureThatCannotStartIsReported()
    {
        QFETCH(QString, spoil);
        Brevane w;
        setUp(w);
        // The folder was fine when chosen and is unusable by the time of the recording.
        const QString folder = w.saveFolder;
        QVERIFY(QDir(folder).removeRecursively());
        if (spoil == QLatin1String("file")) {
            QFile blocker(folder.chopped(1));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        w.slot_startRecordSound();
        QTRY_VERIFY_WITH_TIMEOUT(w.failurePrompt && w.failurePrompt->isVisible(), 20000);

        QCOMPARE(w.recordState, Idle);
        QCOMPARE(w.elapsedTimerId, 0);
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("开始录制(F7)"));
        QVERIFY(w.ui->labelTime->text().isEmpty());
        QCOMPARE(floatTime(w), QStringLiteral("00:00:00"));
        QVERIFY(w.voiceList->isHidden());
        QCOMPARE(w.failurePrompt->findChild<QLabel *>(QStringLiteral("labelTipText1"))->text(),
                 QStringLiteral("录音无法开始"));
        QVERIFY(!w.failurePrompt->findChild<QLabel *>(QStringLiteral("labelTipText2"))->text().isEmpty());
        auto *ok = w.failurePrompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"));
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QVERIFY(w.failurePrompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera1"))->isHidden());

        // Time passing after the failure counts nothing.
        advance(w, 30);
        QVERIFY(w.ui->labelTime->text().isEmpty());
        ok->click();
        QVERIFY(!w.failurePrompt->isVisible());
    }

    void failureAtResumeKeepsWhatWasRecorded()
    {
        Brevane w;
        setUp(w);
        const QString folder = w.saveFolder;
        const int mark = progressMarks();
        w.slot_startRecordSound();
        QVERIFY(waitForAudio(mark));
        advance(w, 4);
        w.slot_startRecordSound();
        QCOMPARE(w.recordState, Paused);

        // The next segment goes to a folder that does not exist.
        w.saveFolder = root + QStringLiteral("/gone/");
        w.slot_startRecordSound();
        QTRY_VERIFY_WITH_TIMEOUT(w.failurePrompt && w.failurePrompt->isVisible(), 20000);
        QCOMPARE(w.recordState, Idle);
        QCOMPARE(w.audioLengthText, QStringLiteral("00:00:04"));
        QVERIFY(!w.engine->writtenPath.isEmpty());
        QCOMPARE(QFileInfo(w.engine->writtenPath).absolutePath() + QLatin1Char('/'), folder);
        QVERIFY(QFileInfo(w.engine->writtenPath).size() > 0);
    }

    void scheduledTaskStartsAndStops()
    {
        Brevane w;
        setUp(w);
        const QDateTime start = now.addSecs(2);
        const QDateTime end = now.addSecs(6);

        w.slot_recordByTime(start, now.addSecs(-60), 0);
        QVERIFY(w.endTimeList.isEmpty());
        QFile error(QStringLiteral("errOut.txt"));
        QVERIFY(error.open(QIODevice::ReadOnly));
        QCOMPARE(error.readAll(), QByteArray("can not record audio: end time must bigger current time"));

        w.ui->comboboxVoiceFrom->setCurrentIndex(1);
        w.slot_recordByTime(start, end, 0);
        QCOMPARE(w.endTimeList.size(), 1);
        w.slot_timeOut();
        QCOMPARE(w.recordState, Idle);

        now = start;
        const int mark = progressMarks();
        w.slot_timeOut();
        QCOMPARE(w.recordState, Recording);
        QVERIFY(w.isTimeRecording);
        QCOMPARE(w.ui->comboboxVoiceFrom->currentIndex(), 0);
        QCOMPARE(w.engine->audioSource, 0);
        QVERIFY(waitForAudio(mark));

        now = end;
        w.slot_timeOut();
        QCOMPARE(w.recordState, Idle);
        QVERIFY(!w.isTimeRecording);
        QVERIFY(w.startTimeList.isEmpty() && w.endTimeList.isEmpty() && w.deviceList.isEmpty());
        QVERIFY(QFileInfo(w.saveFolder + start.toString(QStringLiteral("hh_mm_ss")) + QStringLiteral(".mp3"))
                    .size() > 0);
    }
};

QTEST_MAIN(TestBrevaneRecording)
#include "tst_brevanerecording.moc"
