// The floating window: shown by "是", counting with the main window while
// recording, and stopping the recording with its own button.
#include "AudioTestSupport.h"
#include "Brevane.h"
#include "BrevaneProbe.h"
#include "Clock.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "ProgramUnderTest.h"
#include "ScreenLayout.h"
#include "TestSupport.h"
#include "XDisplay.h"

#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimerEvent>
#include <QtTest>

namespace {
QString labelText(const QWidget &window)
{
    return window.findChild<QLabel *>(QStringLiteral("labelTime"))->text();
}
} // namespace

class TestE2EFloat : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scratch;
    ScreenLayout layout;
    QDateTime now;

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        layout = ScreenLayout::measure(scratch.path());
        QVERIFY(layout.isValid());
    }

    void cleanup()
    {
        Clock::setSource({});
        Platform::setApplicationDirForTesting(QString());
    }

    void floatingWindowStopsTheRecording()
    {
        ProgramUnderTest program;
        QVERIFY(program.start());
        const QRect main = XDisplay::geometry(program.mainWindow());

        // "是" shows the floating window: a second window of the program, of its shape's size.
        XDisplay::click(main.topLeft() + layout.radioButtonYes);
        QString floating;
        QTRY_VERIFY_WITH_TIMEOUT(XDisplay::visibleWindowsOf(program.pid()).size() == 2, 10000);
        for (const QString &window : XDisplay::visibleWindowsOf(program.pid())) {
            if (window != program.mainWindow())
                floating = window;
        }
        const QRect floatArea = XDisplay::geometry(floating);
        QCOMPARE(floatArea.size(), layout.floatSize);
        QVERIFY(!floatArea.intersects(main));

        const int mark = program.logCount(QStringLiteral("time=00:00:03"));
        XDisplay::press(program.mainWindow(), QStringLiteral("F7"));
        QVERIFY(
            QTest::qWaitFor([&] { return program.logCount(QStringLiteral("time=00:00:03")) > mark; }, 30000));
        QTest::qWait(1200);
        QVERIFY(!XDisplay::screenshot(floatArea, QStringLiteral("e2e"), QStringLiteral("float-recording"))
                     .isEmpty());
        QVERIFY(
            !XDisplay::screenshot(main, QStringLiteral("e2e"), QStringLiteral("main-recording")).isEmpty());

        // Its stop button ends the recording, which is saved and listed.
        XDisplay::click(floatArea.topLeft() + layout.floatBtnEnd);
        QTRY_COMPARE_WITH_TIMEOUT(program.catalogue().size(), 1, 30000);
        const QString file =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
            QStringLiteral("/ZeltoAudioRecord/") +
            program.catalogue().first().toObject().value(QStringLiteral("fileName")).toString();
        QVERIFY(program.logText().contains(QStringLiteral("stop record: success")));
        QVERIFY(EngineTest::probe(file).duration > 2.5);
        QVERIFY(EngineTest::toneContent(file).share440 > 0.5);
        QVERIFY(!program.waitForWindowNamed(QStringLiteral("录音列表")).isEmpty());
        QTest::qWait(500);
        QVERIFY(!XDisplay::screenshot(floatArea, QStringLiteral("e2e"), QStringLiteral("float-stopped"))
                     .isEmpty());

        XDisplay::click(main.topLeft() + layout.btnClose);
        QVERIFY(program.waitForExit());
    }

    void floatingTimeFollowsTheMainWindow()
    {
        Platform::setApplicationDirForTesting(scratch.path());
        now = QDateTime(QDate(2024, 3, 1), QTime(9, 5, 31));
        Clock::setSource([this] { return now; });
        const QString folder = TestSupport::testRoot() + QStringLiteral("/float/");
        QVERIFY(QDir().mkpath(folder));

        Brevane w;
        w.setSaveFolder(folder.chopped(1));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        FloatWidget *floating = topLevel<FloatWidget>();
        QVERIFY(floating->isHidden());
        QTest::mouseClick(w.findChild<QRadioButton *>(QStringLiteral("radioButtonYes")), Qt::LeftButton);
        QVERIFY(floating->isVisible());

        const int mark = TestSupport::logText(scratch.path()).count(QStringLiteral("time=00:00:01"));
        QTest::keyClick(&w, Qt::Key_F7);
        QCOMPARE(w.currentRecordState(), Recording);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return TestSupport::logText(scratch.path()).count(QStringLiteral("time=00:00:01")) > mark;
            },
            30000));

        // Every tick shows the same time in both windows.
        const QList<QPair<int, QString>> steps = {
            {1, "00:00:01"}, {1, "00:00:02"}, {58, "00:01:00"}, {3600, "01:01:00"}};
        for (const auto &step : steps) {
            now = now.addSecs(step.first);
            QTimerEvent tick(0);
            QCoreApplication::sendEvent(&w, &tick);
            QCOMPARE(labelText(w), step.second);
            QCOMPARE(labelText(*floating), step.second);
        }

        // The floating stop button finishes the recording.
        QTest::mouseClick(floating->findChild<QPushButton *>(QStringLiteral("btnEnd")), Qt::LeftButton);
        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(labelText(*floating), QStringLiteral("00:00:00"));
        QVERIFY(labelText(w).isEmpty());
        const QString file = folder + QStringLiteral("09_05_31.mp3");
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(EngineTest::toneContent(file).share440 > 0.5);
    }
};

QTEST_MAIN(TestE2EFloat)
#include "tst_e2efloat.moc"
