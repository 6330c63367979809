// A scheduled recording on the real program and the real clock: the task is
// entered in the task dialog with keys and clicks, for the next whole minute
// to the minute after, and the program records exactly then.
#include "AudioTestSupport.h"
#include "ProgramUnderTest.h"
#include "ScreenLayout.h"
#include "XDisplay.h"

#include <QDir>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

namespace {
// The time stamp of the first log line holding the text, or an invalid time.
QDateTime loggedAt(const QString &log, const QString &text)
{
    const QRegularExpression stamp(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d) "));
    const QStringList lines = log.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.contains(text))
            continue;
        const QRegularExpressionMatch match = stamp.match(line);
        if (match.hasMatch())
            return QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    return QDateTime();
}

int seconds(const QString &hhmmss)
{
    const QTime time = QTime::fromString(hhmmss, QStringLiteral("hh:mm:ss"));
    return time.isValid() ? QTime(0, 0).secsTo(time) : -1;
}
} // namespace

class TestE2ESchedule : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scratch;
    ScreenLayout layout;

    // Types a date and a time into the editors that the next two Tabs reach.
    static void enterDateTime(const QDateTime &value)
    {
        XDisplay::key(QStringLiteral("Tab"));
        XDisplay::type(value.toString(QStringLiteral("yyyyMMdd")));
        XDisplay::key(QStringLiteral("Tab"));
        XDisplay::type(value.toString(QStringLiteral("hhmmss")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        layout = ScreenLayout::measure(scratch.path());
        QVERIFY(layout.isValid());
    }

    void taskRecordsFromItsStartToItsEnd()
    {
        ProgramUnderTest program;
        QVERIFY(program.start());
        const QRect main = XDisplay::geometry(program.mainWindow());

        XDisplay::click(main.topLeft() + layout.btnRecordByTime);
        const QString dialog = program.waitForWindowNamed(QStringLiteral("定时录制"));
        QVERIFY(!dialog.isEmpty());
        const QRect dialogArea = XDisplay::geometry(dialog);

        // The next whole minute, unless it comes too soon to type the task.
        const QDateTime now = QDateTime::currentDateTime();
        QDateTime start(now.date(), QTime(now.time().hour(), now.time().minute()));
        start = start.addSecs(60);
        if (now.secsTo(start) < 20)
            start = start.addSecs(60);
        const QDateTime end = start.addSecs(60);

        XDisplay::click(dialogArea.topLeft() + layout.lineEditTaskName);
        XDisplay::key(QStringLiteral("ctrl+a"));
        XDisplay::type(QStringLiteral("e2e"));
        enterDateTime(start);
        enterDateTime(end);
        XDisplay::click(dialogArea.topLeft() + layout.radioButton2);
        XDisplay::click(dialogArea.topLeft() + layout.btnCreateTask);
        QTest::qWait(800);
        QVERIFY(!XDisplay::screenshot(dialogArea, QStringLiteral("e2e"), QStringLiteral("task-dialog"))
                     .isEmpty());
        // Accepted: no refusal came up and nothing went to the error file.
        QCOMPARE(XDisplay::visibleWindowsOf(program.pid()).size(), 2);
        QVERIFY(!QFileInfo::exists(program.folder() + QStringLiteral("/errOut.txt")));

        // Nothing before the start; the recording begins at the start's pass.
        const QString startLine = QStringLiteral("start record: ");
        QTest::qWait(qMax<qint64>(0, QDateTime::currentDateTime().msecsTo(start) - 2000));
        QVERIFY(!program.logText().contains(startLine));
        QTRY_VERIFY_WITH_TIMEOUT(program.logText().contains(startLine), 20000);
        const QDateTime started = loggedAt(program.logText(), startLine);
        QVERIFY2(started >= start && started <= start.addSecs(3), qPrintable(started.toString()));

        // It ends at the end's pass and is saved as one file.
        QTRY_COMPARE_WITH_TIMEOUT(program.catalogue().size(), 1,
                                  int(QDateTime::currentDateTime().msecsTo(end)) + 45000);
        const QDateTime stopped = loggedAt(program.logText(), QStringLiteral("stop record: success"));
        QVERIFY2(stopped >= end && stopped <= end.addSecs(3), qPrintable(stopped.toString()));

        const QJsonObject entry = program.catalogue().first().toObject();
        const QString fileName = entry.value(QStringLiteral("fileName")).toString();
        QVERIFY2(fileName.startsWith(start.toString(QStringLiteral("hh_mm_"))), qPrintable(fileName));
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                               QStringLiteral("/ZeltoAudioRecord");
        QCOMPARE(QDir(folder).entryList({"*.mp3"}, QDir::Files), QStringList{fileName});
        const QString file = folder + QLatin1Char('/') + fileName;
        const double duration = EngineTest::probe(file).duration;
        QVERIFY2(duration > 55 && duration < 61.5, qPrintable(QString::number(duration)));
        const int length = seconds(entry.value(QStringLiteral("audioLength")).toString());
        QVERIFY2(length >= 57 && length <= 61,
                 qPrintable(entry.value(QStringLiteral("audioLength")).toString()));
        // The microphone, as chosen in the dialog.
        const EngineTest::ToneContent tone = EngineTest::toneContent(file);
        QVERIFY2(tone.share880 > 0.5 && tone.share440 < 0.1, qPrintable(QString::number(tone.share880)));

        // The task is over: the program closes without asking.
        XDisplay::click(main.topLeft() + layout.btnClose);
        QVERIFY(program.waitForExit());
    }
};

QTEST_MAIN(TestE2ESchedule)
#include "tst_e2eschedule.moc"
