// The recording controller with real captures through the program's
// ffmpeg.exe, and a clock the test sets.
#include "AudioTestSupport.h"
#include "Brevane.h"
#include "BrevaneProbe.h"
#include "Clock.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordAudioCore.h"
#include "RecordByTime.h"
#include "TaskScheduler.h"
#include "VoiceList.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimeEdit>
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

QString floatTime()
{
    return topLevel<FloatWidget>()->findChild<QLabel *>(QStringLiteral("labelTime"))->text();
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
        Clock::setSource([this] { return now; });
        engineOf(w)->setWaitLimitMs(10000);
        const QString folder = root + QStringLiteral("/rec%1/").arg(++folderCount);
        QVERIFY(QDir().mkpath(folder));
        w.setSaveFolder(folder.chopped(1));
        QCOMPARE(w.currentSaveFolder(), folder);
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
        QTimerEvent tickEvent(0);
        QCoreApplication::sendEvent(&w, &tickEvent);
    }

    // The newest catalogue entry of a finished file, read from the catalogue
    // file (every test starts at the same time of day, so names repeat).
    QJsonObject catalogueEntry(const QString &path)
    {
        QFile file(appDir.filePath(QStringLiteral("Brevane.json")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QJsonArray entries = QJsonDocument::fromJson(file.readAll()).array();
        QJsonObject found;
        for (const QJsonValue &entry : entries) {
            if (entry.toObject().value(QStringLiteral("fileName")).toString() == QFileInfo(path).fileName())
                found = entry.toObject();
        }
        return found;
    }

private slots:
    void cleanup() { Clock::setSource({}); }

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
        QCOMPARE(w.currentRecordState(), Recording);
        QVERIFY(waitForAudio(mark));
        for (const QString &step : steps) {
            if (step == QLatin1String("toggle")) {
                mark = progressMarks();
                w.slot_startRecordSound();
                if (w.currentRecordState() == Recording)
                    QVERIFY(waitForAudio(mark));
            } else {
                advance(w, step.toLongLong());
            }
        }
        if (!steps.isEmpty()) {
            QCOMPARE(child<QLabel>(w, "labelTime")->text(), shown);
            QCOMPARE(floatTime(), shown);
        }
        w.slot_EndRecordSound();
        QCOMPARE(catalogueEntry(engineOf(w)->writtenPath()).value("audioLength").toString(), shown);
        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(floatTime(), QStringLiteral("00:00:00"));
        // The final file carries the start's time of day.
        QCOMPARE(engineOf(w)->writtenPath(), w.currentSaveFolder() + QStringLiteral("09_05_31.mp3"));
        QVERIFY(QFileInfo::exists(engineOf(w)->writtenPath()));
    }

    void displayFollowsTheState()
    {
        Brevane w;
        setUp(w);
        child<QComboBox>(w, "comboBoxQuality")->setCurrentIndex(2);
        const QString pauseImage = QStringLiteral("border-image:url(:/images/pause.png)");

        int mark = progressMarks();
        w.slot_startRecordSound();
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("暂停录音(F8)"));
        QCOMPARE(child<QPushButton>(w, "btnStart")->styleSheet(), pauseImage);
        QCOMPARE(child<QLabel>(w, "labelTime")->styleSheet(), QStringLiteral("background:none"));
        QCOMPARE(child<QLabel>(w, "labelTime")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(engineOf(w)->bitRate, 320);
        QVERIFY(logLines(appDir.path()).last().contains(QStringLiteral("start record: ")));
        QVERIFY(logLines(appDir.path()).last().contains(QStringLiteral("320k")));
        QVERIFY(waitForAudio(mark));

        // Quality and source changed during the recording wait for the next one.
        child<QComboBox>(w, "comboBoxQuality")->setCurrentIndex(0);
        child<QComboBox>(w, "comboboxVoiceFrom")->setCurrentIndex(1);
        w.slot_startRecordSound();
        QCOMPARE(w.currentRecordState(), Paused);
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("继续录音(F7)"));
        QCOMPARE(child<QPushButton>(w, "btnStart")->styleSheet(),
                 QStringLiteral("border-image:url(:/images/wantPlay.png)"));
        QCOMPARE(engineOf(w)->audioSource, 0);

        mark = progressMarks();
        w.slot_startRecordSound();
        QCOMPARE(w.currentRecordState(), Recording);
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("暂停录音(F8)"));
        QCOMPARE(child<QPushButton>(w, "btnStart")->styleSheet(), pauseImage);
        QVERIFY(logLines(appDir.path()).last().contains(QStringLiteral("resume record: ")));
        QVERIFY(logLines(appDir.path())
                    .filter(QStringLiteral("resume record: "))
                    .last()
                    .contains(QStringLiteral("320k")));
        QVERIFY(waitForAudio(mark));

        w.slot_EndRecordSound();
        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("开始录制(F7)"));
        QCOMPARE(child<QPushButton>(w, "btnStart")->styleSheet(),
                 QStringLiteral("border-image:url(:/images/noPlay.png)"));
        QCOMPARE(child<QLabel>(w, "labelTime")->styleSheet(),
                 QStringLiteral(
                     "color:white;font-size: 49px;background: url(:/images/voice.png) center no-repeat;"));
        QVERIFY(child<QLabel>(w, "labelTime")->text().isEmpty());
        QVERIFY(topLevel<VoiceList>()->isVisible());
        QVERIFY(QFileInfo(w.currentSaveFolder() + QStringLiteral("09_05_31.mp3")).size() > 0);
        QVERIFY(
            logLines(appDir.path()).contains(QStringLiteral("2024-03-01 09:05:31 stop record: success")) ||
            logLines(appDir.path()).join(QLatin1Char('\n')).contains(QStringLiteral("stop record: success")));

        // Idle display: the next tick shows nothing.
        advance(w, 5);
        QVERIFY(child<QLabel>(w, "labelTime")->text().isEmpty());
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
        QCOMPARE(w.currentRecordState(), Recording);
        QVERIFY(waitForAudio(mark));
        QTest::keyClick(&w, Qt::Key_F7);
        QCOMPARE(w.currentRecordState(), Paused);
        mark = progressMarks();
        QTest::keyClick(&w, Qt::Key_F8);
        QCOMPARE(w.currentRecordState(), Recording);
        QVERIFY(waitForAudio(mark));
        QTest::keyClick(&w, Qt::Key_F9);
        QCOMPARE(w.currentRecordState(), Idle);
        QVERIFY(QFileInfo(w.currentSaveFolder() + QStringLiteral("09_05_31.mp3")).size() > 0);
        // Idle again: F9 changes nothing.
        QTest::keyClick(&w, Qt::Key_F9);
        QCOMPARE(w.currentRecordState(), Idle);
    }

    void closingDuringARecordingFinishesIt_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("paused");
        QTest::newRow("close button") << "button" << false;
        QTest::newRow("close button while paused") << "button" << true;
        QTest::newRow("window manager") << "close event" << false;
        QTest::newRow("window manager with the list open") << "close event, list shown" << false;
    }

    void closingDuringARecordingFinishesIt()
    {
        QFETCH(QString, how);
        QFETCH(bool, paused);
        Brevane w;
        setUp(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (how.endsWith(QLatin1String("list shown")))
            child<QPushButton>(w, "btnVoiceList")->click();
        const int mark = progressMarks();
        w.slot_startRecordSound();
        QVERIFY(waitForAudio(mark));
        advance(w, 2);
        if (paused)
            w.slot_startRecordSound();

        if (how == QLatin1String("button"))
            child<QPushButton>(w, "btnClose")->click();
        else
            QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(!engineOf(w)->isCapturing());
        // Every window of the program is gone, so the event loop would end.
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), window->metaObject()->className());
        // The recording was finished as at a stop: final file, entry, no segment.
        const QString file = w.currentSaveFolder() + QStringLiteral("09_05_31.mp3");
        QVERIFY(EngineTest::toneContent(file).share440 > 0.5);
        QVERIFY(!QFileInfo::exists(w.currentSaveFolder() + QStringLiteral("0.mp3")));
        QCOMPARE(catalogueEntry(file).value("audioLength").toString(), QStringLiteral("00:00:02"));
    }

    void removedSaveFolderIsCreatedAgain()
    {
        Brevane w;
        setUp(w);
        const QString folder = w.currentSaveFolder();
        QVERIFY(QDir(folder).removeRecursively());
        const int mark = progressMarks();
        w.slot_startRecordSound();
        QVERIFY(waitForAudio(mark));
        QVERIFY(logLines(appDir.path()).contains(QStringLiteral("create dir success")));
        w.slot_EndRecordSound();
        QVERIFY(EngineTest::toneContent(folder + QStringLiteral("09_05_31.mp3")).share440 > 0.5);
    }

    void stopWhileIdleDoesNothing()
    {
        Brevane w;
        setUp(w);
        const QStringList before = logLines(appDir.path());
        w.slot_EndRecordSound();
        QCOMPARE(w.currentRecordState(), Idle);
        QVERIFY(child<QLabel>(w, "labelTime")->text().isEmpty());
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("开始录制(F7)"));
        QVERIFY(child<QPushButton>(w, "btnStart")->styleSheet().isEmpty());
        QVERIFY(topLevel<VoiceList>()->isHidden());
        QCOMPARE(logLines(appDir.path()), before);
        QVERIFY(QDir(w.currentSaveFolder()).isEmpty());
    }

    void captureThatCannotStartIsReported_data()
    {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder replaced by a file") << "file"
                                                   << "保存文件夹不存在。";
        QTest::newRow("tool missing") << "tool"
                                      << "找不到录音程序 ffmpeg.exe，请重新安装本软件。";
    }

    void captureThatCannotStartIsReported()
    {
        QFETCH(QString, spoil);
        QFETCH(QString, reason);
        Brevane w;
        setUp(w);
        // The folder was fine when chosen and is unusable by the time of the recording.
        const QString folder = w.currentSaveFolder();
        QScopedPointer<QTemporaryDir> emptyDir;
        QScopedPointer<EngineTest::PathGuard> path;
        if (spoil == QLatin1String("file")) {
            QVERIFY(QDir(folder).removeRecursively());
            QFile blocker(folder.chopped(1));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else {
            emptyDir.reset(new QTemporaryDir);
            path.reset(new EngineTest::PathGuard(emptyDir->path()));
        }
        w.slot_startRecordSound();
        QToolTipWidget *notice = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((notice = topLevel<QToolTipWidget>(true)), 20000);

        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("开始录制(F7)"));
        QVERIFY(child<QLabel>(w, "labelTime")->text().isEmpty());
        QCOMPARE(floatTime(), QStringLiteral("00:00:00"));
        QVERIFY(topLevel<VoiceList>()->isHidden());
        QCOMPARE(notice->findChild<QLabel *>(QStringLiteral("labelTipText1"))->text(),
                 QStringLiteral("录音无法开始"));
        QCOMPARE(notice->findChild<QLabel *>(QStringLiteral("labelTipText2"))->text(), reason);
        auto *ok = notice->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"));
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QVERIFY(notice->findChild<QAbstractButton *>(QStringLiteral("btnOpera1"))->isHidden());

        // Time passing after the failure counts nothing.
        advance(w, 30);
        QVERIFY(child<QLabel>(w, "labelTime")->text().isEmpty());
        ok->click();
        QVERIFY(!notice->isVisible());
    }

    void failureAtResumeKeepsWhatWasRecorded()
    {
        Brevane w;
        setUp(w);
        const QString folder = w.currentSaveFolder();
        const int mark = progressMarks();
        w.slot_startRecordSound();
        QVERIFY(waitForAudio(mark));
        advance(w, 4);
        w.slot_startRecordSound();
        QCOMPARE(w.currentRecordState(), Paused);

        // The next segment goes to a folder that does not exist.
        w.setSaveFolder(root + QStringLiteral("/gone"));
        w.slot_startRecordSound();
        QToolTipWidget *notice = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((notice = topLevel<QToolTipWidget>(true)), 20000);
        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(catalogueEntry(engineOf(w)->writtenPath()).value("audioLength").toString(),
                 QStringLiteral("00:00:04"));
        QVERIFY(!engineOf(w)->writtenPath().isEmpty());
        QCOMPARE(QFileInfo(engineOf(w)->writtenPath()).absolutePath() + QLatin1Char('/'), folder);
        QVERIFY(QFileInfo(engineOf(w)->writtenPath()).size() > 0);
    }

    void scheduledTaskStartsAndStops()
    {
        Brevane w;
        setUp(w);
        auto *scheduler = w.findChild<TaskScheduler *>();
        const QDateTime start = now.addSecs(2);
        const QDateTime end = now.addSecs(6);

        // A task whose end has passed is refused and leaves its line in the error file.
        w.slot_recordByTime(start, now.addSecs(-60), 0);
        QVERIFY(!scheduler->hasFutureStart());
        QFile error(QStringLiteral("errOut.txt"));
        QVERIFY(error.open(QIODevice::ReadOnly));
        QCOMPARE(error.readAll(), QByteArray("can not record audio: end time must bigger current time"));

        child<QComboBox>(w, "comboboxVoiceFrom")->setCurrentIndex(1);
        w.slot_recordByTime(start, end, 0);
        QVERIFY(scheduler->hasFutureStart());
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Idle);

        now = start;
        const int mark = progressMarks();
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Recording);
        QVERIFY(scheduler->isTimeRecording());
        QCOMPARE(child<QComboBox>(w, "comboboxVoiceFrom")->currentIndex(), 0);
        QCOMPARE(engineOf(w)->audioSource, 0);
        QVERIFY(waitForAudio(mark));

        now = end;
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Idle);
        QVERIFY(!scheduler->isTimeRecording());
        const QString file =
            w.currentSaveFolder() + start.toString(QStringLiteral("hh_mm_ss")) + QStringLiteral(".mp3");
        QVERIFY(EngineTest::toneContent(file).share440 > 0.5);
    }

    void scheduledStartKeepsARunningRecordingGoing()
    {
        // A task whose start comes while a recording runs adopts it: the
        // recording goes on (it is not paused) and the task's end stops it.
        Brevane w;
        setUp(w);
        const QDateTime handStart = now;
        const int mark = progressMarks();
        w.slot_startRecordSound();
        QVERIFY(waitForAudio(mark));

        w.slot_recordByTime(now, now.addSecs(8), 1);
        advance(w, 2);
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Recording);
        QVERIFY(engineOf(w)->isCapturing());
        QCOMPARE(engineOf(w)->segmentFiles().size(), 1);
        QTest::qWait(1500);

        now = now.addSecs(6);
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Idle);
        // One recording, begun by hand, of the source chosen then.
        const QString file =
            w.currentSaveFolder() + handStart.toString(QStringLiteral("hh_mm_ss")) + QStringLiteral(".mp3");
        QVERIFY(EngineTest::toneContent(file).share440 > 0.5);
        // Never paused: the audio of the whole time is in it.
        QVERIFY(EngineTest::probe(file).duration > 2.0);
        QCOMPARE(QDir(w.currentSaveFolder()).entryList(QDir::Files).size(), 1);
    }

    void removingARecordingTaskStopsAndKeepsItsRecording()
    {
        // A task entered in the dialog starts with its source; removing its
        // row while it records ends the recording as a stop does, and the
        // task never starts again.
        Brevane w;
        setUp(w);
        auto *dialog = topLevel<RecordByTime>();
        child<QPushButton>(w, "btnRecordByTime")->click();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        child<QDateEdit>(*dialog, "dateEditStartDay")->setDate(now.date());
        child<QTimeEdit>(*dialog, "timeEditStartTime")->setTime(QTime(9, 5));
        child<QDateEdit>(*dialog, "dateEditEndDay")->setDate(now.date());
        child<QTimeEdit>(*dialog, "timeEditEndTime")->setTime(QTime(9, 20));
        QTest::mouseClick(child<QRadioButton>(*dialog, "radioButton2"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(*dialog, "btnCreateTask"), Qt::LeftButton);
        auto *tasks = child<QListWidget>(*dialog, "listWidgetTask");
        QCOMPARE(tasks->count(), 1);

        const int mark = progressMarks();
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Recording);
        QCOMPARE(child<QComboBox>(w, "comboboxVoiceFrom")->currentIndex(), 1);
        QVERIFY(waitForAudio(mark));
        advance(w, 3);

        QWidget *row = tasks->itemWidget(tasks->item(0));
        QTest::mouseClick(child<QPushButton>(*row, "pushButton"), Qt::LeftButton);
        QCOMPARE(w.currentRecordState(), Idle);
        const QString file = w.currentSaveFolder() + QStringLiteral("09_05_31.mp3");
        QVERIFY(EngineTest::toneContent(file).share880 > 0.5);
        QCOMPARE(catalogueEntry(file).value("audioLength").toString(), QStringLiteral("00:00:03"));

        // Still within the task's minutes: nothing starts again.
        advance(w, 60);
        w.slot_timeOut();
        QCOMPARE(w.currentRecordState(), Idle);
        dialog->hide();
    }
};

QTEST_MAIN(TestBrevaneRecording)
#include "tst_brevanerecording.moc"
