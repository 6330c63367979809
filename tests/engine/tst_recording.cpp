// Real recordings through the installed capture tool from the test sound
// server: 440 Hz plays on the speakers, 880 Hz reaches the microphone.

#include "AudioTestSupport.h"
#include "EngineLog.h"
#include "Platform.h"
#include "RecordAudioCore.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace EngineTest;

class tst_Recording : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void recordsTheChosenSource_data();
    void recordsTheChosenSource();
    void logOfARecordingWithOnePause();
    void earlierFilesAreMovedAside();
    void captureThatCannotRecordIsReported_data();
    void captureThatCannotRecordIsReported();
    void killLeavesTheSegmentWithoutFailure();

private:
    QString logText() const { return QString::fromUtf8(readFile(m_appDir->path() + "/log.txt")); }
    // Lets the capture run until its file exists, then for
    // about holdMs more. False when the capture never got going.
    static bool recordFor(const QString &segment, int holdMs);

    QScopedPointer<QTemporaryDir> m_appDir;
    QScopedPointer<QTemporaryDir> m_saveDir;
    QString m_folder;
};

void tst_Recording::init()
{
    m_appDir.reset(new QTemporaryDir);
    m_saveDir.reset(new QTemporaryDir);
    QVERIFY(m_appDir->isValid() && m_saveDir->isValid());
    Platform::setApplicationDirForTesting(m_appDir->path());
    m_folder = m_saveDir->path() + "/";
}

void tst_Recording::cleanup()
{
    Platform::setApplicationDirForTesting(QString());
}

bool tst_Recording::recordFor(const QString &segment, int holdMs)
{
    // The tool creates the file once its input is open; its writes reach the
    // disk only in large blocks, so the size says little at first. Waiting
    // for the tool to get going is not part of the check; the event loop runs
    // meanwhile so that the capture's output is handled.
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(segment) && waited.elapsed() < 20000)
        QTest::qWait(50);
    if (!QFile::exists(segment))
        return false;
    QTest::qWait(holdMs);
    return true;
}

void tst_Recording::recordsTheChosenSource_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<bool>("hears440");
    QTest::addColumn<bool>("hears880");

    QTest::newRow("system sound, 128k") << 0 << 128 << true << false;
    QTest::newRow("microphone, 256k") << 1 << 256 << false << true;
    QTest::newRow("both mixed, 320k") << 2 << 320 << true << true;
}

void tst_Recording::recordsTheChosenSource()
{
    QFETCH(int, source);
    QFETCH(int, bitRate);
    QFETCH(bool, hears440);
    QFETCH(bool, hears880);

    RecordAudioCore engine(nullptr);
    QSignalSpy failed(&engine, &RecordAudioCore::captureFailed);
    engine.segmentDir = m_folder;
    engine.bitRate = bitRate;
    engine.audioSource = source;

    // Start, pause, resume, pause, stop: two segments, joined at stop.
    QList<double> recorded;
    for (int segment = 0; segment < 2; ++segment) {
        QElapsedTimer span;
        span.start();
        segment == 0 ? engine.startRecord() : engine.resumeRecord();
        QVERIFY(recordFor(m_folder + QString::number(segment) + ".mp3", 1500));
        engine.pauseRecord();
        recorded << span.elapsed() / 1000.0;
    }
    QCOMPARE(engine.segmentIndex(), 2);
    QCOMPARE(engine.segmentFiles(), QStringList({m_folder + "0.mp3", m_folder + "1.mp3"}));

    QStringList packets;
    double total = 0;
    for (int segment = 0; segment < 2; ++segment) {
        const QString path = engine.segmentFiles().at(segment);
        const Probe p = probe(path);
        QCOMPARE(p.formatName, QString("mp3"));
        QCOMPARE(p.codecName, QString("mp3"));
        QCOMPARE(p.bitRate, qint64(bitRate) * 1000);
        // The tool needs a moment to start capturing, so a segment is shorter
        // than the time between start and pause, but never longer.
        QVERIFY2(p.duration > 0.3 && p.duration < recorded.at(segment) + 0.5,
                 qPrintable(QString("%1 s recorded in %2 s").arg(p.duration).arg(recorded.at(segment))));
        const ToneContent tone = toneContent(path);
        QVERIFY2(tone.rms > 0.05, qPrintable(QString("rms %1").arg(tone.rms)));
        const QString shares = QString("440 Hz: %1, 880 Hz: %2").arg(tone.share440).arg(tone.share880);
        QVERIFY2((tone.share440 > 0.2) == hears440, qPrintable(shares));
        QVERIFY2((tone.share880 > 0.2) == hears880, qPrintable(shares));
        QVERIFY2(tone.share440 + tone.share880 > 0.8, qPrintable(shares));
        packets += packetHashes(path);
        total += p.duration;
    }

    engine.stopRecord(m_folder + "14_15_16.mp3");
    QCOMPARE(engine.writtenPath(), m_folder + "14_15_16.mp3");
    QCOMPARE(packetHashes(engine.writtenPath()), packets);
    QVERIFY(qAbs(probe(engine.writtenPath()).duration - total) < 0.06);
    QVERIFY(!QFile::exists(m_folder + "0.mp3") && !QFile::exists(m_folder + "1.mp3"));
    // Paused, then stopped: no capture was running at the stop.
    QVERIFY(logText().contains(" stop record: fail\n"));
    QCoreApplication::processEvents();
    QCOMPARE(failed.count(), 0);
}

void tst_Recording::logOfARecordingWithOnePause()
{
    RecordAudioCore engine(nullptr);
    engine.segmentDir = m_folder;
    engine.audioSource = SystemSound;
    engine.startRecord();
    QVERIFY(recordFor(m_folder + "0.mp3", 500));
    engine.pauseRecord();
    engine.resumeRecord();
    QVERIFY(recordFor(m_folder + "1.mp3", 500));
    engine.stopRecord(m_folder + "07_08_09.mp3");
    QCOMPARE(engine.writtenPath(), m_folder + "07_08_09.mp3");

    const QString base = "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -ab 128k";
    const QString join = "ffmpeg.exe -f concat -safe 0 -i \"" + m_appDir->path() +
                         "/merge.txt\"  -c copy \"" + m_folder + "07_08_09.mp3\" -y";
    const QStringList expected = {
        "start record: " + base + " \"" + m_folder + "0.mp3\"",
        "pause record: success",
        "resume record: " + base + " \"" + m_folder + "1.mp3\"",
        "stop record: success",
        "concat success:" + join,
    };

    // Every engine step is one line with a timestamp; between two steps come
    // the tool's output lines, which carry none.
    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (.*)$");
    const QStringList lines = logText().split('\n');
    QStringList steps;
    QList<int> outputLinesBefore;
    int output = 0;
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = stamp.match(line);
        if (m.hasMatch()) {
            steps << m.captured(1);
            outputLinesBefore << output;
            output = 0;
        } else {
            ++output;
        }
    }
    QCOMPARE(steps, expected);
    QCOMPARE(outputLinesBefore.at(0), 0);
    for (int i = 1; i < outputLinesBefore.size(); ++i) {
        if (i == 2)
            continue; // nothing runs between the pause and the resume
        QVERIFY2(outputLinesBefore.at(i) >= 2, qPrintable(expected.at(i)));
    }
    QVERIFY(logText().endsWith(expected.last() + "\n"));
}

void tst_Recording::earlierFilesAreMovedAside()
{
    // Left by a recording that was killed, and by an earlier move aside.
    QVERIFY(writeFile(m_folder + "0.mp3", "segment 0 of an earlier recording"));
    QVERIFY(writeFile(m_folder + "0_earlier1.mp3", "moved aside before"));
    QVERIFY(writeFile(m_folder + "1.mp3", "segment 1 of an earlier recording"));

    RecordAudioCore engine(nullptr);
    engine.segmentDir = m_folder;
    engine.audioSource = SystemSound;
    engine.startRecord();
    QVERIFY(recordFor(m_folder + "0.mp3", 300));
    engine.pauseRecord();
    engine.resumeRecord();
    QVERIFY(recordFor(m_folder + "1.mp3", 300));
    engine.stopRecord(m_folder + "17_00_00.mp3");

    QCOMPARE(readFile(m_folder + "0_earlier1.mp3"), QByteArray("moved aside before"));
    QCOMPARE(readFile(m_folder + "0_earlier2.mp3"), QByteArray("segment 0 of an earlier recording"));
    QCOMPARE(readFile(m_folder + "1_earlier1.mp3"), QByteArray("segment 1 of an earlier recording"));
    QCOMPARE(engine.writtenPath(), m_folder + "17_00_00.mp3");
    QCOMPARE(probe(engine.writtenPath()).codecName, QString("mp3"));
    QVERIFY(toneContent(engine.writtenPath()).share440 > 0.5);
    const QString log = logText();
    QVERIFY2(log.contains(" moved earlier file aside: " + m_folder + "0.mp3 -> " + m_folder +
                          "0_earlier2.mp3\n") &&
                 log.contains(" moved earlier file aside: " + m_folder + "1.mp3 -> " + m_folder +
                              "1_earlier1.mp3\n"),
             qPrintable(log));
}

void tst_Recording::captureThatCannotRecordIsReported_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<bool>("micFoundBefore");
    QTest::addColumn<QString>("command");

    const QString mic = " -f dshow -i audio=\"Microphone (USB Audio)\"";
    // With the sound server out of reach no device can be opened, and the
    // listing shows no microphone.
    QTest::newRow("microphone never found: no input") << 1 << false << "ffmpeg.exe -y -ab 128k";
    QTest::newRow("microphone found before, now gone") << 1 << true << "ffmpeg.exe -y" + mic + " -ab 128k";
    QTest::newRow("system sound unavailable")
        << 0 << false << "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -ab 128k";
}

void tst_Recording::captureThatCannotRecordIsReported()
{
    QFETCH(int, source);
    QFETCH(bool, micFoundBefore);
    QFETCH(QString, command);

    RecordAudioCore engine(nullptr);
    QSignalSpy failed(&engine, &RecordAudioCore::captureFailed);
    engine.segmentDir = m_folder;
    engine.audioSource = source;
    if (micFoundBefore)
        QCOMPARE(engine.findAudioDevices(), 0);

    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + m_saveDir->path().toUtf8() + "/no-such-server");
    engine.startRecord();
    QCOMPARE(failed.count(), 0); // never inside startRecord itself
    const bool reported = failed.wait(20000);
    if (server.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", server);

    QVERIFY(reported);
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
    QVERIFY(logText().contains(" start record: " + command + " \"" + m_folder + "0.mp3\"\n"));
    QVERIFY(!QFile::exists(m_folder + "0.mp3"));
    engine.stopRecord(m_folder + "18_00_00.mp3");
    QVERIFY(engine.writtenPath().isEmpty());
}

void tst_Recording::killLeavesTheSegmentWithoutFailure()
{
    RecordAudioCore engine(nullptr);
    QSignalSpy failed(&engine, &RecordAudioCore::captureFailed);
    engine.segmentDir = m_folder;
    engine.audioSource = SystemSound;
    engine.startRecord();
    QVERIFY(recordFor(m_folder + "0.mp3", 300));
    engine.killProcess();
    QCOMPARE(engine.isCapturing(), false);
    QVERIFY(QFile::exists(m_folder + "0.mp3"));
    QTest::qWait(200);
    QCOMPARE(failed.count(), 0);
}

QTEST_GUILESS_MAIN(tst_Recording)
#include "tst_recording.moc"
