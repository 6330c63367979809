// The capture command lines and the reading of the tool's device listing.

#include "Platform.h"
#include "RecordAudioCore.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_CaptureCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void composition_data();
    void composition();
    void listing_data();
    void listing();
    void listingOfTheInstalledTool();

private:
    QScopedPointer<QTemporaryDir> m_appDir;
};

void tst_CaptureCommand::init()
{
    m_appDir.reset(new QTemporaryDir);
    QVERIFY(m_appDir->isValid());
    Platform::setApplicationDirForTesting(m_appDir->path());
}

void tst_CaptureCommand::cleanup()
{
    Platform::setApplicationDirForTesting(QString());
}

void tst_CaptureCommand::composition_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("mic");
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<QString>("command");

    const QString mic = "\"Microphone (USB Audio)\"";
    QTest::newRow("system, 128") << 0 << mic << 128
                                 << "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -ab 128k";
    QTest::newRow("microphone, 256") << 1 << mic << 256
                                     << "ffmpeg.exe -y -f dshow -i audio=\"Microphone (USB Audio)\" -ab 256k";
    QTest::newRow("both, 320") << 2 << mic << 320
                               << "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -f dshow -i "
                                  "audio=\"Microphone (USB Audio)\" -filter_complex "
                                  "amix=inputs=2:duration=first:dropout_transition=2 -ab 320k";
    QTest::newRow("both, no microphone")
        << 2 << QString() << 128 << "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -ab 128k";
    QTest::newRow("microphone, none found") << 1 << QString() << 128 << "ffmpeg.exe -y -ab 128k";
    QTest::newRow("microphone, one-character name") << 1 << "\"" << 128 << "ffmpeg.exe -y -ab 128k";
    QTest::newRow("microphone, two-character name")
        << 1 << "\"\"" << 128 << "ffmpeg.exe -y -f dshow -i audio=\"\" -ab 128k";
    QTest::newRow("unknown source") << 3 << mic << 128 << "ffmpeg.exe -y -ab 128k";
}

void tst_CaptureCommand::composition()
{
    QFETCH(int, source);
    QFETCH(QString, mic);
    QFETCH(int, bitRate);
    QFETCH(QString, command);
    QCOMPARE(RecordAudioCore::composeCaptureCommand(source, mic, bitRate), command);
}

void tst_CaptureCommand::listing_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("mic");

    const QString before = "\"Old Mic\"";
    const QString header = "[dshow @ 0000020a] DirectShow audio devices\n";
    const QString alt =
        "[dshow @ 0000020a]     Alternative name \"@device_cm_{33D9A762}\\wave_{5CE24FA3}\"\n";
    const QString mic = "[dshow @ 0000020a]  \"Microphone (USB Audio)\"\n";
    const QString system = "[dshow @ 0000020a]  \"virtual-audio-capturer\"\n";
    const QString video =
        "[dshow @ 0000020a] DirectShow video devices (some may be both video and audio devices)\n"
        "[dshow @ 0000020a]  \"HD Webcam\"\n" +
        alt;

    QTest::newRow("microphone first")
        << header + mic + alt + system + alt << 0 << "\"Microphone (USB Audio)\"";
    QTest::newRow("video devices before the audio ones")
        << video + header + mic + alt << 0 << "\"Microphone (USB Audio)\"";
    QTest::newRow("system device first") << header + system + alt + mic + alt << 0 << before;
    QTest::newRow("no alternative name") << header + mic << 0 << before;
    QTest::newRow("no header") << mic + alt << 0 << before;
    // The marks are matched case-sensitively.
    QTest::newRow("header in other letter case")
        << "[dshow @ 0000020a] DirectShow Audio Devices\n" + mic + alt << 0 << before;
    QTest::newRow("alternative name in other letter case")
        << header + mic + "[dshow @ 0000020a]     alternative name \"@device_cm_{33D9A762}\"\n"
        << 0 << before;
    QTest::newRow("header without a name") << header + "dummy: Immediate exit requested\n" << 0 << before;
    QTest::newRow("empty output") << QString() << -1 << before;

    // The alternative name must start less than 128 characters after the
    // name's closing quote.
    const QString named = header + "  \"Mic\"";
    QTest::newRow("alternative name 127 after the quote")
        << named + QString(126, ' ') + "Alternative name" << 0 << "\"Mic\"";
    QTest::newRow("alternative name 128 after the quote")
        << named + QString(127, ' ') + "Alternative name" << 0 << before;
}

void tst_CaptureCommand::listing()
{
    QFETCH(QString, listing);
    QFETCH(int, result);
    QFETCH(QString, mic);

    QString found = "\"Old Mic\"";
    QCOMPARE(RecordAudioCore::pickMicrophone(listing, found), result);
    QCOMPARE(found, mic);
}

void tst_CaptureCommand::listingOfTheInstalledTool()
{
    RecordAudioCore engine(nullptr);
    QCOMPARE(engine.findAudioDevices(), 0);
    QCOMPARE(engine.micDeviceName(), QString("\"Microphone (USB Audio)\""));
}

QTEST_GUILESS_MAIN(tst_CaptureCommand)
#include "tst_capturecommand.moc"
