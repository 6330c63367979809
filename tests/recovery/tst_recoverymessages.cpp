// What the main window tells the user when a recording cannot start, is cut
// off by a real cause, or holds nothing: the notice's title and text, read
// from the message dialog on screen.
#include "AudioTestSupport.h"
#include "Brevane.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordAudioCore.h"
#include "RecordingCatalogue.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {
// A sound server of the test's own, with a 440 Hz tone playing into its
// speakers, which the test can take away while a capture reads from it.
class PrivateSoundServer
{
public:
    explicit PrivateSoundServer(const QString &dir) : m_dir(dir)
    {
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString script = dir + QStringLiteral("/server.pa");
        EngineTest::writeFile(script, "load-module module-native-protocol-unix socket=" + dir.toLocal8Bit() +
                                          "/native\n"
                                          "load-module module-null-sink sink_name=speakers "
                                          "sink_properties=device.description=Speakers\n"
                                          "set-default-sink speakers\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        env.insert(QStringLiteral("PULSE_SERVER"), address());
        m_server.setProcessEnvironment(env);
        m_server.start(QStringLiteral("pulseaudio"),
                       {"-n", "-F", script, "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                        "--log-target=file:" + dir + "/pulseaudio.log"});
        m_ready = m_server.waitForStarted() && QTest::qWaitFor(
                                                   [&] {
                                                       QProcess info;
                                                       info.setProcessEnvironment(env);
                                                       info.start(QStringLiteral("pactl"), {"info"});
                                                       return info.waitForFinished() && info.exitCode() == 0;
                                                   },
                                                   10000);
        m_tone.setProcessEnvironment(env);
        m_tone.start(QStringLiteral("ffmpeg"), {"-nostdin", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
                                                "sine=frequency=440:sample_rate=44100", "-f", "pulse",
                                                "-buffer_duration", "50", "-device", "speakers", "tone"});
        m_ready = m_ready && m_tone.waitForStarted();
    }
    ~PrivateSoundServer()
    {
        m_tone.kill();
        m_tone.waitForFinished();
        stop();
    }
    PrivateSoundServer(const PrivateSoundServer &) = delete;
    PrivateSoundServer &operator=(const PrivateSoundServer &) = delete;

    bool isReady() const { return m_ready; }
    QString address() const { return QStringLiteral("unix:") + m_dir + QStringLiteral("/native"); }
    // The server goes away, as when it crashes or the user ends it.
    void stop()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

private:
    QString m_dir;
    QProcess m_server;
    QProcess m_tone;
    bool m_ready = false;
};

QToolTipWidget *visibleNotice()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *notice = qobject_cast<QToolTipWidget *>(window);
        if (notice && notice->isVisible())
            return notice;
    }
    return nullptr;
}

QString noticeText(const char *label)
{
    QToolTipWidget *notice = visibleNotice();
    return notice ? notice->findChild<QLabel *>(QLatin1String(label))->text() : QString();
}
} // namespace

class TestRecoveryMessages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir appDir;
    int folderCount = 0;

    QString newSaveFolder(Brevane &w)
    {
        const QString folder = TestSupport::testRoot() + QStringLiteral("/messages%1").arg(++folderCount);
        QDir().mkpath(folder);
        w.setSaveFolder(folder);
        w.findChild<RecordAudioCore *>(QStringLiteral("engine"))->setWaitLimitMs(10000);
        return folder + QLatin1Char('/');
    }

    bool waitForAudio()
    {
        return QTest::qWaitFor(
            [&] { return TestSupport::logText(appDir.path()).contains(QLatin1String("time=00:00:01")); },
            30000);
    }

    void closeNotice()
    {
        if (QToolTipWidget *notice = visibleNotice())
            notice->close();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(appDir.isValid());
        Platform::setApplicationDirForTesting(appDir.path());
    }

    void cleanup()
    {
        closeNotice();
        QFile::remove(appDir.filePath(QStringLiteral("log.txt")));
    }

    void toolMissingAtStart()
    {
        QTemporaryDir emptyDir;
        // Neither the test's folder nor PATH holds the capture tool.
        EngineTest::PathGuard path(emptyDir.path());
        Brevane w;
        w.show();
        const QString folder = newSaveFolder(w);
        w.slot_startRecordSound();
        QTRY_COMPARE_WITH_TIMEOUT(noticeText("labelTipText1"), QStringLiteral("录音无法开始"), 10000);
        QVERIFY2(noticeText("labelTipText2")
                     .contains(QStringLiteral("找不到录音程序 ffmpeg.exe，请重新安装本软件。")),
                 qPrintable(noticeText("labelTipText2")));
        QVERIFY(QTest::qWaitForWindowExposed(visibleNotice()));
        TestSupport::saveScreenshot(visibleNotice(), TestSupport::shotsDir(QStringLiteral("recovery")),
                                    QStringLiteral("tool-missing"));
        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
    }

    void soundServerGoneWhileRecording()
    {
        PrivateSoundServer server(TestSupport::testRoot() + QStringLiteral("/server"));
        QVERIFY(server.isReady());
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.address().toLocal8Bit());
        Brevane w;
        w.show();
        const QString folder = newSaveFolder(w);
        w.slot_startRecordSound();
        QVERIFY(waitForAudio());
        QTest::qWait(1000);
        server.stop();
        qputenv("PULSE_SERVER", savedServer);

        QTRY_COMPARE_WITH_TIMEOUT(noticeText("labelTipText1"), QStringLiteral("录音已中断"), 15000);
        const QString text = noticeText("labelTipText2");
        QVERIFY(QTest::qWaitForWindowExposed(visibleNotice()));
        TestSupport::saveScreenshot(visibleNotice(), TestSupport::shotsDir(QStringLiteral("recovery")),
                                    QStringLiteral("interrupted"));
        QCOMPARE(w.currentRecordState(), Idle);
        // The kept part is named, is really there, and holds the tone.
        const QString kept = w.findChild<RecordAudioCore *>(QStringLiteral("engine"))->writtenPath();
        QVERIFY(!kept.isEmpty());
        QVERIFY2(text.contains(Platform::toNativeSeparators(kept)), qPrintable(text));
        QVERIFY(kept.startsWith(folder));
        QVERIFY(EngineTest::probe(kept).duration > 1.0);
        QVERIFY(EngineTest::toneContent(kept).share440 > 0.8);
        QVERIFY(EngineTest::readFile(appDir.filePath(QStringLiteral("Brevane.json")))
                    .contains(QFileInfo(kept).fileName().toUtf8()));
        // A sentence the user can act on, not the tool's output.
        QVERIFY2(text.startsWith(QStringLiteral("声音服务没有运行。")), qPrintable(text));
    }

    void stopBeforeAnyAudio()
    {
        Brevane w;
        w.show();
        const QString folder = newSaveFolder(w);
        const QByteArray catalogueBefore =
            EngineTest::readFile(appDir.filePath(QStringLiteral("Brevane.json")));
        w.slot_startRecordSound();
        w.slot_EndRecordSound();
        QTRY_COMPARE_WITH_TIMEOUT(noticeText("labelTipText1"), QStringLiteral("没有录到声音"), 10000);
        QVERIFY(QTest::qWaitForWindowExposed(visibleNotice()));
        TestSupport::saveScreenshot(visibleNotice(), TestSupport::shotsDir(QStringLiteral("recovery")),
                                    QStringLiteral("nothing-recorded-inprocess"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
        QCOMPARE(EngineTest::readFile(appDir.filePath(QStringLiteral("Brevane.json"))), catalogueBefore);
    }
};

QTEST_MAIN(TestRecoveryMessages)
#include "tst_recoverymessages.moc"
