#include "Clock.h"
#include "FakeRecorder.h"
#include "TaskScheduler.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate Day(2024, 3, 1);

QDateTime at(const QString &time)
{
    QTime t = QTime::fromString(time, QStringLiteral("hh:mm:ss"));
    if (!t.isValid())
        t = QTime::fromString(time, QStringLiteral("hh:mm"));
    return QDateTime(Day, t);
}

// Runs a script against a scheduler and a fake recorder. Each step is
// "hh:mm:ss verb args"; the clock walks second by second from the first step
// to `until`, and at every second the steps of that second run first, then one
// pass. Verbs:
//   add I hh:mm hh:mm D   hand a task (row index I, start, end, source D) over
//   remove I              the row with index I is removed
//   start / stop          the user presses the start/pause or the stop control
//   sleep hh:mm:ss        the machine sleeps: no pass until that time
QStringList run(const QStringList &steps, const QString &until)
{
    QDateTime now = at(steps.isEmpty() ? until : steps.first().section(QLatin1Char(' '), 0, 0));
    Clock::setSource([&now] { return now; });
    TaskScheduler scheduler;
    FakeRecorder recorder(scheduler);

    const QDateTime end = at(until);
    int next = 0;
    for (; now <= end; now = now.addSecs(1)) {
        for (; next < steps.size(); ++next) {
            const QStringList word = steps.at(next).split(QLatin1Char(' '));
            if (at(word.at(0)) != now)
                break;
            const QString verb = word.at(1);
            if (verb == QLatin1String("add")) {
                if (!scheduler.addTask(word.at(2).toInt(), at(word.at(3)), at(word.at(4)),
                                       word.at(5).toInt()))
                    recorder.events.append(word.at(0) + QStringLiteral(" refused ") + word.at(2));
            } else if (verb == QLatin1String("remove")) {
                scheduler.removeTask(word.at(2).toInt());
            } else if (verb == QLatin1String("start")) {
                recorder.pressStart();
            } else if (verb == QLatin1String("stop")) {
                recorder.pressStop();
            } else if (verb == QLatin1String("sleep")) {
                now = at(word.at(2));
            }
        }
        scheduler.slot_timeOut();
    }
    Clock::setSource({});
    return recorder.events;
}

} // namespace

class TestTaskScheduler : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::setSource({}); }

    void passes_data();
    void passes();
    void refusalWritesTheErrorFile();
    void futureStartAndClear();
};

void TestTaskScheduler::passes_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("until");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("no tasks: a pass does nothing") << QStringList{} << "10:00:30" << QStringList{};

    QTest::newRow("overlap: the inner end stops the outer task, which starts again with its own source")
        << QStringList{"09:59:00 add 0 10:00 11:00 0", "09:59:00 add 1 10:30 10:45 1"} << "11:00:05"
        << QStringList{"10:00:00 record 0", "10:45:00 save", "10:45:01 record 0", "11:00:00 save"};

    QTest::newRow("back to back: the second starts one pass after the first ends")
        << QStringList{"09:59:00 add 0 10:00 10:30 0", "09:59:00 add 1 10:30 11:00 1"} << "11:00:05"
        << QStringList{"10:00:00 record 0", "10:30:00 save", "10:30:01 record 1", "11:00:00 save"};

    QTest::newRow("end exactly now: accepted, never records, its end stops the recording in progress")
        << QStringList{"10:00:00 start", "10:05:00 add 0 10:00 10:05 1"} << "10:06:00"
        << QStringList{"10:00:00 record 2", "10:05:00 save"};

    QTest::newRow("end one minute past: refused")
        << QStringList{"10:05:00 add 0 10:00 10:04 1"} << "10:06:00" << QStringList{"10:05:00 refused 0"};

    QTest::newRow("start already past: starts at the next pass")
        << QStringList{"10:10:00 add 0 10:00 10:30 1"} << "10:31:00"
        << QStringList{"10:10:00 record 1", "10:30:00 save"};

    QTest::newRow("a finished task leaves, the next ones keep their own sources")
        << QStringList{"09:59:00 add 0 10:00 10:10 1", "09:59:00 add 1 10:20 10:30 0",
                       "09:59:00 add 2 10:40 10:50 2"}
        << "10:51:00" << QStringList{"10:00:00 record 1", "10:10:00 save",     "10:20:00 record 0",
                                     "10:30:00 save",     "10:40:00 record 2", "10:50:00 save"};

    QTest::newRow("stopped by hand: not started again, its end finds the recorder idle")
        << QStringList{"09:59:00 add 0 10:00 10:30 0", "10:10:00 stop"} << "10:31:00"
        << QStringList{"10:00:00 record 0", "10:10:00 save", "10:30:00 stop idle"};

    QTest::newRow("window slept through: never records, its end stops the recording in progress")
        << QStringList{"09:59:00 add 0 10:05 10:10 0", "10:00:00 start", "10:00:01 sleep 10:20:00"}
        << "10:21:00" << QStringList{"10:00:00 record 2", "10:20:00 save"};

    // A start never pauses a recording: the running one becomes the task's,
    // and the task's end stops it.
    QTest::newRow("start while recording by hand: goes on, the task's end stops it")
        << QStringList{"09:50:00 start", "09:59:00 add 0 10:00 10:30 0"} << "10:31:00"
        << QStringList{"09:50:00 record 2", "10:30:00 save"};

    QTest::newRow("start while paused: resumes")
        << QStringList{"09:50:00 start", "09:55:00 start", "09:59:00 add 0 10:00 10:30 0"} << "10:31:00"
        << QStringList{"09:50:00 record 2", "09:55:00 pause", "10:00:00 resume", "10:30:00 save"};

    QTest::newRow("removing the adopted task stops the hand-started recording")
        << QStringList{"09:50:00 start", "09:59:00 add 0 10:00 10:30 0", "10:10:00 remove 0"} << "10:31:00"
        << QStringList{"09:50:00 record 2", "10:10:00 save"};

    // A removed row cancels its task.
    QTest::newRow("removed before its start: never records")
        << QStringList{"09:59:00 add 0 10:00 10:30 0", "09:59:30 remove 0"} << "10:31:00" << QStringList{};

    QTest::newRow("removed while recording: saved at once, nothing at its end")
        << QStringList{"09:59:00 add 0 10:00 10:30 0", "10:10:00 remove 0"} << "10:31:00"
        << QStringList{"10:00:00 record 0", "10:10:00 save"};

    QTest::newRow("removed while recording: an overlapping task starts at the next pass")
        << QStringList{"09:59:00 add 0 10:00 11:00 0", "09:59:00 add 1 10:30 10:45 1", "10:35:00 remove 0"}
        << "11:01:00"
        << QStringList{"10:00:00 record 0", "10:35:00 save", "10:35:00 record 1", "10:45:00 save"};

    QTest::newRow("removing a waiting task leaves the running one alone")
        << QStringList{"09:59:00 add 0 10:00 10:30 0", "09:59:00 add 1 10:40 10:50 1", "10:10:00 remove 1"}
        << "10:51:00" << QStringList{"10:00:00 record 0", "10:30:00 save"};

    QTest::newRow("removing an earlier task: the later ones keep their own times and sources")
        << QStringList{"09:59:00 add 0 10:00 10:10 1", "09:59:00 add 1 10:20 10:30 0",
                       "09:59:00 add 2 10:40 10:50 2", "09:59:30 remove 1"}
        << "10:51:00"
        << QStringList{"10:00:00 record 1", "10:10:00 save", "10:40:00 record 2", "10:50:00 save"};

    QTest::newRow("removing a task whose recording was stopped by hand sends nothing")
        << QStringList{"09:59:00 add 0 10:00 10:30 0", "10:05:00 stop", "10:10:00 remove 0"} << "10:31:00"
        << QStringList{"10:00:00 record 0", "10:05:00 save"};
}

void TestTaskScheduler::passes()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, until);
    QFETCH(QStringList, events);
    QCOMPARE(run(steps, until), events);
}

void TestTaskScheduler::refusalWritesTheErrorFile()
{
    QTemporaryDir dir(TestSupport::testRoot() + QStringLiteral("/errout-XXXXXX"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));

    QDateTime now = at("10:05:00");
    Clock::setSource([&now] { return now; });
    TaskScheduler scheduler;
    QVERIFY(scheduler.addTask(0, at("10:00:00"), at("10:05:00"), 0));
    QVERIFY(!QFile::exists(QStringLiteral("errOut.txt")));
    QVERIFY(!scheduler.addTask(1, at("10:00:00"), at("10:04:00"), 0));

    QFile file(QStringLiteral("errOut.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("can not record audio: end time must bigger current time"));
    QDir::setCurrent(previous);
}

void TestTaskScheduler::futureStartAndClear()
{
    QDateTime now = at("10:00:00");
    Clock::setSource([&now] { return now; });
    TaskScheduler scheduler;
    FakeRecorder recorder(scheduler);
    QVERIFY(!scheduler.hasFutureStart());

    scheduler.addTask(0, at("09:50:00"), at("10:30:00"), 1);
    QVERIFY(!scheduler.hasFutureStart());
    scheduler.addTask(1, at("10:40:00"), at("10:50:00"), 0);
    QVERIFY(scheduler.hasFutureStart());

    scheduler.slot_timeOut();
    QVERIFY(scheduler.isTimeRecording());
    QCOMPARE(recorder.events, QStringList{"10:00:00 record 1"});

    // Closing anyway: the tasks are gone, the running recording is left to
    // the closing program, and no later pass does anything.
    scheduler.clear();
    QVERIFY(!scheduler.hasFutureStart());
    QVERIFY(!scheduler.isTimeRecording());
    for (now = at("10:00:01"); now <= at("10:51:00"); now = now.addSecs(60))
        scheduler.slot_timeOut();
    QCOMPARE(recorder.events, QStringList{"10:00:00 record 1"});
}

QTEST_GUILESS_MAIN(TestTaskScheduler)
#include "tst_taskscheduler.moc"
