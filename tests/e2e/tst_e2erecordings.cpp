// Finished recordings in the catalogue and the recordings list: the real
// program driven by keys, then play and delete through the list's rows.
#include "AudioTestSupport.h"
#include "Brevane.h"
#include "BrevaneProbe.h"
#include "Clock.h"
#include "Platform.h"
#include "ProgramUnderTest.h"
#include "ScreenLayout.h"
#include "TestSupport.h"
#include "VoiceList.h"
#include "XDisplay.h"

#include "UrlRecorder.h"
#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimerEvent>

#include <QtTest>

namespace {
QString defaultSaveFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/ZeltoAudioRecord/");
}

// The catalogue's size text: decimal megabytes in single precision, two decimals.
QString sizeText(qint64 bytes)
{
    const float megabytes = static_cast<float>(bytes) / 1000000.0f;
    return QString::number(static_cast<double>(megabytes), 'f', 2) + QStringLiteral("MB");
}

int seconds(const QString &hhmmss)
{
    const QTime time = QTime::fromString(hhmmss, QStringLiteral("hh:mm:ss"));
    return time.isValid() ? QTime(0, 0).secsTo(time) : -1;
}

QJsonArray readCatalogue(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonArray();
    return QJsonDocument::fromJson(file.readAll()).array();
}

QWidget *row(VoiceList *list, int index)
{
    auto *rows = list->findChild<QListWidget *>(QStringLiteral("FileListWidget"));
    return rows->itemWidget(rows->item(index));
}

QString rowName(VoiceList *list, int index)
{
    return row(list, index)->findChild<QLabel *>(QStringLiteral("labelFileName"))->text();
}

int rowCount(VoiceList *list)
{
    return list->findChild<QListWidget *>(QStringLiteral("FileListWidget"))->count();
}

} // namespace

class TestE2ERecordings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scratch;
    ScreenLayout layout;

    // One recording on the real program: F7, at least the given seconds of
    // captured audio, F9; returns the catalogue entry it added.
    QJsonObject recordWithKeys(ProgramUnderTest &program, int audioSeconds)
    {
        const QString progress = QStringLiteral("time=00:00:%1").arg(audioSeconds, 2, 10, QLatin1Char('0'));
        const int mark = program.logCount(progress);
        const int entries = program.catalogue().size();
        XDisplay::press(program.mainWindow(), QStringLiteral("F7"));
        if (!QTest::qWaitFor([&] { return program.logCount(progress) > mark; }, 30000))
            return QJsonObject();
        XDisplay::press(program.mainWindow(), QStringLiteral("F9"));
        if (!QTest::qWaitFor([&] { return program.catalogue().size() > entries; }, 30000))
            return QJsonObject();
        return program.catalogue().last().toObject();
    }

    // The entry describes its file in the save folder, which holds the
    // system sound for about the time the entry gives.
    void checkEntry(const QJsonObject &entry, int audioSeconds)
    {
        const QString file = defaultSaveFolder() + entry.value(QStringLiteral("fileName")).toString();
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        QCOMPARE(entry.value(QStringLiteral("size")).toString(), sizeText(QFileInfo(file).size()));
        const int length = seconds(entry.value(QStringLiteral("audioLength")).toString());
        QVERIFY2(length >= audioSeconds - 1 && length <= audioSeconds + 2,
                 qPrintable(entry.value(QStringLiteral("audioLength")).toString()));
        const EngineTest::Probe probe = EngineTest::probe(file);
        QVERIFY2(qAbs(probe.duration - length) <= 1.5, qPrintable(QString::number(probe.duration)));
        QVERIFY(EngineTest::toneContent(file).share440 > 0.5);
        const QString date = entry.value(QStringLiteral("date")).toString();
        if (!date.isEmpty()) {
            const QDateTime born = QDateTime::fromString(date, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            QVERIFY2(qAbs(born.secsTo(QDateTime::currentDateTime())) < 120, qPrintable(date));
        }
    }

    // A main window in-process whose clock the test sets, saving into folder.
    QDateTime now;
    void advance(Brevane &w, qint64 secs)
    {
        now = now.addSecs(secs);
        QTimerEvent tick(0);
        QCoreApplication::sendEvent(&w, &tick);
    }
    bool waitForAudio(int mark)
    {
        return QTest::qWaitFor(
            [&] {
                return TestSupport::logText(scratch.path()).count(QStringLiteral("time=00:00:01")) > mark;
            },
            30000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        layout = ScreenLayout::measure(scratch.path());
        QVERIFY(layout.isValid());
    }

    void cleanup() { Clock::setSource({}); }

    void recordingsAppearInTheList()
    {
        ProgramUnderTest program;
        QVERIFY(program.start());

        const QJsonObject first = recordWithKeys(program, 3);
        QVERIFY(!first.isEmpty());
        checkEntry(first, 3);
        // The list window opens by itself with the new recording.
        const QString list = program.waitForWindowNamed(QStringLiteral("录音列表"));
        QVERIFY(!list.isEmpty());
        QVERIFY(!XDisplay::screenshot(XDisplay::geometry(list), QStringLiteral("e2e"),
                                      QStringLiteral("list-one-row"))
                     .isEmpty());

        QTest::qWait(1000);
        const QJsonObject second = recordWithKeys(program, 2);
        QVERIFY(!second.isEmpty());
        checkEntry(second, 2);
        QVERIFY(second.value(QStringLiteral("fileName")) != first.value(QStringLiteral("fileName")));
        // Oldest first in the file; the list shows the newest on top.
        QCOMPARE(program.catalogue(), (QJsonArray{first, second}));
        QCOMPARE(program.waitForWindowNamed(QStringLiteral("录音列表")), list);
        QVERIFY(!XDisplay::screenshot(XDisplay::geometry(list), QStringLiteral("e2e"),
                                      QStringLiteral("list-two-rows"))
                     .isEmpty());

        XDisplay::click(XDisplay::geometry(program.mainWindow()).topLeft() + layout.btnClose);
        QVERIFY(program.waitForExit());
    }

    void playAndDeleteFromTheList()
    {
        Platform::setApplicationDirForTesting(scratch.path());
        now = QDateTime(QDate(2024, 3, 1), QTime(9, 5, 31));
        Clock::setSource([this] { return now; });
        const QString folder = TestSupport::testRoot() + QStringLiteral("/list/");
        QVERIFY(QDir().mkpath(folder));
        QFile::remove(scratch.filePath(QStringLiteral("Brevane.json")));

        Brevane w;
        w.setSaveFolder(folder.chopped(1));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        // Two recordings ten seconds apart.
        for (int i = 0; i < 2; ++i) {
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            const int mark = TestSupport::logText(scratch.path()).count(QStringLiteral("time=00:00:01"));
            QTest::keyClick(&w, Qt::Key_F7);
            QVERIFY(waitForAudio(mark));
            advance(w, 2);
            QTest::keyClick(&w, Qt::Key_F9);
            advance(w, 8);
        }
        const QString older = QStringLiteral("09_05_31.mp3");
        const QString newer = QStringLiteral("09_05_41.mp3");
        QVERIFY(QFileInfo::exists(folder + older));
        QVERIFY(QFileInfo::exists(folder + newer));

        VoiceList *list = topLevel<VoiceList>();
        QVERIFY(list->isVisible());
        QCOMPARE(rowCount(list), 2);
        QCOMPARE(rowName(list, 0), newer);
        QCOMPARE(rowName(list, 1), older);

        // Play hands the file in the save folder to the desktop.
        {
            UrlRecorder recorder;
            QTest::mouseClick(row(list, 0)->findChild<QPushButton *>(QStringLiteral("btnPlay")),
                              Qt::LeftButton);
            QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(folder + newer)});
        }

        // Delete of the older row: its file and its entry go, the newer stays.
        QTest::mouseClick(row(list, 1)->findChild<QPushButton *>(QStringLiteral("btnDelete")),
                          Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(folder + older));
        QVERIFY(QFileInfo::exists(folder + newer));
        const QJsonArray entries = readCatalogue(scratch.filePath(QStringLiteral("Brevane.json")));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().toObject().value(QStringLiteral("fileName")).toString(), newer);
        QCOMPARE(rowCount(list), 1);
        QCOMPARE(rowName(list, 0), newer);
        QVERIFY(EngineTest::toneContent(folder + newer).share440 > 0.5);
        Platform::setApplicationDirForTesting(QString());
    }
};

QTEST_MAIN(TestE2ERecordings)
#include "tst_e2erecordings.moc"
