// What the engine does when the capture tool misbehaves in ways the real one
// cannot be made to: a listing that never ends, a tool that cannot be
// started, a capture that ignores the request to end.

#include "AudioTestSupport.h"
#include "Platform.h"
#include "RecordAudioCore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace EngineTest;

class tst_ToolFailures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hangingListingIsGivenUp();
    void toolThatCannotStart();
    void captureIgnoringTheEndIsKilledBeforeTheJoin();

private:
    QString logText() const { return QString::fromUtf8(readFile(m_appDir->path() + "/log.txt")); }

    QScopedPointer<QTemporaryDir> m_appDir;
    QScopedPointer<QTemporaryDir> m_toolDir;
    QScopedPointer<QTemporaryDir> m_saveDir;
};

void tst_ToolFailures::init()
{
    m_appDir.reset(new QTemporaryDir);
    m_toolDir.reset(new QTemporaryDir);
    m_saveDir.reset(new QTemporaryDir);
    QVERIFY(m_appDir->isValid() && m_toolDir->isValid() && m_saveDir->isValid());
    Platform::setApplicationDirForTesting(m_appDir->path());
}

void tst_ToolFailures::cleanup()
{
    Platform::setApplicationDirForTesting(QString());
}

void tst_ToolFailures::hangingListingIsGivenUp()
{
    const QString pidFile = m_toolDir->path() + "/pid";
    QVERIFY(writeToolScript(m_toolDir->path(), "echo $$ > '" + pidFile.toUtf8() +
                                                   "'\necho 'DirectShow audio devices'\nexec sleep 600\n"));
    RecordAudioCore engine(nullptr);
    // A microphone found by a listing that worked stays through one that hangs.
    QCOMPARE(engine.findAudioDevices(), 0);
    const QString mic = QStringLiteral("\"Microphone (USB Audio)\"");
    QCOMPARE(engine.micDeviceName(), mic);

    PathGuard path(m_toolDir->path());
    engine.setWaitLimitMs(500);
    QCOMPARE(engine.findAudioDevices(), -1);
    QCOMPARE(engine.micDeviceName(), mic);

    const qint64 pid = readFile(pidFile).trimmed().toLongLong();
    QVERIFY(pid > 0);
    QVERIFY2(!processAlive(pid), "the listing is still running");
}

void tst_ToolFailures::toolThatCannotStart()
{
    // No ffmpeg.exe anywhere on the search path.
    PathGuard path(m_toolDir->path());
    RecordAudioCore engine(nullptr);
    QSignalSpy failed(&engine, &RecordAudioCore::captureFailed);
    engine.segmentDir = m_saveDir->path() + "/";
    engine.audioSource = SystemSound;

    engine.startRecord();
    QCOMPARE(failed.count(), 0); // never inside startRecord itself
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("找不到录音程序 ffmpeg.exe，请重新安装本软件。"));
    QVERIFY(!QFile::exists(engine.segmentDir + "0.mp3"));

    engine.stopRecord(engine.segmentDir + "12_00_00.mp3");
    QVERIFY(engine.writtenPath().isEmpty());
    const QString log = logText();
    QVERIFY2(log.contains(" stop record: fail\n"), qPrintable(log));
    QCOMPARE(engine.lastOutcome(), SegmentJoiner::NothingRecorded);
    QVERIFY(log.contains(" nothing recorded: no segment holds audio\n"));
    QVERIFY(QDir(engine.segmentDir).isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(failed.count(), 1);
}

void tst_ToolFailures::captureIgnoringTheEndIsKilledBeforeTheJoin()
{
    // A capture that ignores "q" and the terminate request: it puts a ready
    // MP3 at the output path and sleeps. Joins go to the real ffmpeg.
    const QString dir = m_toolDir->path();
    QVERIFY(makeTone(dir + "/tone_0.mp3", 300, 0.8));
    QVERIFY(makeTone(dir + "/tone_1.mp3", 600, 0.6));
    QVERIFY(writeToolScript(dir, "case \"$*\" in\n"
                                 "*-list_devices*) exit 1 ;;\n"
                                 "*'-f concat'*) exec /usr/bin/ffmpeg \"$@\" ;;\n"
                                 "esac\n"
                                 "for a; do last=$a; done\n"
                                 "echo $$ >> '" +
                                     dir.toUtf8() +
                                     "/pids'\n"
                                     "cp '" +
                                     dir.toUtf8() +
                                     "'/tone_\"$(basename \"$last\")\" \"$last\"\n"
                                     "trap '' TERM\n"
                                     "exec sleep 600\n"));
    PathGuard path(dir);

    RecordAudioCore engine(nullptr);
    QSignalSpy failed(&engine, &RecordAudioCore::captureFailed);
    engine.setWaitLimitMs(500);
    engine.segmentDir = m_saveDir->path() + "/";
    engine.audioSource = SystemSound;
    const QStringList expected = packetHashes(dir + "/tone_0.mp3") + packetHashes(dir + "/tone_1.mp3");

    engine.startRecord();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(engine.segmentDir + "0.mp3"), 10000);
    engine.pauseRecord();
    engine.resumeRecord();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(engine.segmentDir + "1.mp3"), 10000);
    engine.stopRecord(engine.segmentDir + "13_00_00.mp3");

    QCOMPARE(engine.writtenPath(), engine.segmentDir + "13_00_00.mp3");
    QCOMPARE(packetHashes(engine.writtenPath()), expected);
    const QString log = logText();
    QVERIFY2(log.contains(" pause record: fail\n") && log.contains(" stop record: fail\n") &&
                 log.contains(" concat success:"),
             qPrintable(log));
    const QList<QByteArray> pids = readFile(dir + "/pids").trimmed().split('\n');
    QCOMPARE(pids.size(), 2);
    for (const QByteArray &pid : pids)
        QVERIFY2(!processAlive(pid.toLongLong()), pid.constData());
    QCoreApplication::processEvents();
    QCOMPARE(failed.count(), 0); // ends the engine asked for are no failures
}

QTEST_GUILESS_MAIN(tst_ToolFailures)
#include "tst_toolfailures.moc"
