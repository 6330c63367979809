#include "ArgumentRewriter.h"
#include "AudioDeviceList.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QtTest>

#include <map>

Q_DECLARE_METATYPE(ArgumentRewriter::Mode)

namespace {

std::vector<std::string> toStd(const QStringList &list)
{
    std::vector<std::string> out;
    for (const QString &item : list)
        out.push_back(item.toStdString());
    return out;
}

QStringList toQt(const std::vector<std::string> &list)
{
    QStringList out;
    for (const std::string &item : list)
        out << QString::fromStdString(item);
    return out;
}

// The sound server of the test environment, as the rewriter's resolver sees it.
const std::map<std::string, std::string> kFixtureDevices = {
    {"virtual-audio-capturer", "speakers.monitor"},
    {"Microphone (USB Audio)", "usbmic"},
    {"Mikrofon (Äußeres Gerät)", "alsa_input.usb-ext"},
};

SoundServerSnapshot::Source source(const char *name, const char *description, bool monitor)
{
    SoundServerSnapshot::Source s;
    s.name = name;
    s.description = description;
    s.isMonitor = monitor;
    return s;
}

// Device lines of a listing, as the pairs (name, next line).
QStringList deviceNames(const QString &listing)
{
    QStringList names;
    const QRegularExpression nameLine(QStringLiteral("^\\[dshow @ [0-9a-f]+\\]  \"(.*)\"$"));
    for (const QString &line : listing.split('\n')) {
        const QRegularExpressionMatch match = nameLine.match(line);
        if (match.hasMatch())
            names << match.captured(1);
    }
    return names;
}

} // namespace

class TestStandinRewrite : public QObject
{
    Q_OBJECT

private slots:
    void rewrite_data();
    void rewrite();
    void engineCommands_data();
    void engineCommands();
    void deviceOrder_data();
    void deviceOrder();
    void listingLayout();
    void alternativeNames();
};

void TestStandinRewrite::rewrite_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<ArgumentRewriter::Mode>("mode");
    QTest::addColumn<QStringList>("expected");   // arguments for the real ffmpeg
    QTest::addColumn<QStringList>("errorLines"); // for Failed: what the tool prints
    QTest::addColumn<QStringList>("resolved");   // the device names the rewriter asked for

    using M = ArgumentRewriter::Mode;
    const QString out = QStringLiteral("/home/u/Documents/ZeltoAudioRecord/0.mp3");

    QTest::newRow("system sound, 128k")
        << QStringList{"-y", "-f", "dshow", "-i", "audio=virtual-audio-capturer", "-ab", "128k", out}
        << M::Capture << QStringList{"-y",  "-f",   "pulse",          "-i", "speakers.monitor",
                                     "-ab", "128k", "-flush_packets", "1",  out}
        << QStringList{} << QStringList{"virtual-audio-capturer"};
    QTest::newRow("microphone, 256k")
        << QStringList{"-y", "-f", "dshow", "-i", "audio=Microphone (USB Audio)", "-ab", "256k", out}
        << M::Capture
        << QStringList{"-y", "-f", "pulse", "-i", "usbmic", "-ab", "256k", "-flush_packets", "1", out}
        << QStringList{} << QStringList{"Microphone (USB Audio)"};
    QTest::newRow("mixed, 320k") << QStringList{"-y",
                                                "-f",
                                                "dshow",
                                                "-i",
                                                "audio=virtual-audio-capturer",
                                                "-f",
                                                "dshow",
                                                "-i",
                                                "audio=Microphone (USB Audio)",
                                                "-filter_complex",
                                                "amix=inputs=2:duration=first:dropout_transition=2",
                                                "-ab",
                                                "320k",
                                                out}
                                 << M::Capture
                                 << QStringList{"-y",
                                                "-f",
                                                "pulse",
                                                "-i",
                                                "speakers.monitor",
                                                "-f",
                                                "pulse",
                                                "-i",
                                                "usbmic",
                                                "-filter_complex",
                                                "amix=inputs=2:duration=first:dropout_transition=2",
                                                "-ab",
                                                "320k",
                                                "-flush_packets",
                                                "1",
                                                out}
                                 << QStringList{}
                                 << QStringList{"virtual-audio-capturer", "Microphone (USB Audio)"};
    QTest::newRow("non-ASCII device name")
        << QStringList{"-y", "-f", "dshow", "-i", "audio=Mikrofon (Äußeres Gerät)", "-ab", "128k", out}
        << M::Capture << QStringList{"-y",  "-f",   "pulse",          "-i", "alsa_input.usb-ext",
                                     "-ab", "128k", "-flush_packets", "1",  out}
        << QStringList{} << QStringList{"Mikrofon (Äußeres Gerät)"};
    QTest::newRow("no input at all passes unchanged")
        << QStringList{"-y", "-ab", "128k", out} << M::PassThrough << QStringList{"-y", "-ab", "128k", out}
        << QStringList{} << QStringList{};
    QTest::newRow("concat join passes unchanged")
        << QStringList{"-f", "concat", "-safe",
                       "0",  "-i",     "/app/merge.txt",
                       "-c", "copy",   "/rec/12_00_00.mp3",
                       "-y"}
        << M::PassThrough << QStringList{"-f", "concat", "-safe",
                                         "0",  "-i",     "/app/merge.txt",
                                         "-c", "copy",   "/rec/12_00_00.mp3",
                                         "-y"}
        << QStringList{} << QStringList{};
    QTest::newRow("device listing") << QStringList{"-list_devices", "true", "-f", "dshow", "-i", "dummy"}
                                    << M::ListDevices << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("unknown device")
        << QStringList{"-y", "-f", "dshow", "-i", "audio=Headset (BT)", "-ab", "128k", out} << M::Failed
        << QStringList{}
        << QStringList{"[dshow @ 0000020a1b2c3d40] Could not find audio only device with name [Headset (BT)] "
                       "among source devices of type audio.",
                       "audio=Headset (BT): I/O error"}
        << QStringList{"Headset (BT)"};
    QTest::newRow("second of two inputs unknown")
        << QStringList{"-y",   "-f",    "dshow", "-i",         "audio=virtual-audio-capturer",
                       "-f",   "dshow", "-i",    "audio=Gone", "-ab",
                       "128k", out}
        << M::Failed << QStringList{}
        << QStringList{"[dshow @ 0000020a1b2c3d40] Could not find audio only device with name [Gone] among "
                       "source devices of type audio.",
                       "audio=Gone: I/O error"}
        << QStringList{"virtual-audio-capturer", "Gone"};
    QTest::newRow("DirectShow input without audio=")
        << QStringList{"-y", "-f", "dshow", "-i", "dummy", out} << M::Failed << QStringList{}
        << QStringList{"[dshow @ 0000020a1b2c3d40] Malformed dshow input string.", "dummy: I/O error"}
        << QStringList{};
    QTest::newRow("empty device name")
        << QStringList{"-y", "-f", "dshow", "-i", "audio=", out} << M::Failed << QStringList{}
        << QStringList{"[dshow @ 0000020a1b2c3d40] Malformed dshow input string.", "audio=: I/O error"}
        << QStringList{};
    QTest::newRow("only the input after -f dshow is a device")
        << QStringList{"-f", "lavfi", "-i", "audio=sine", "-f", "dshow", "-i", "audio=virtual-audio-capturer",
                       out}
        << M::Capture << QStringList{"-f",
                                     "lavfi",
                                     "-i",
                                     "audio=sine",
                                     "-f",
                                     "pulse",
                                     "-i",
                                     "speakers.monitor",
                                     "-flush_packets",
                                     "1",
                                     out}
        << QStringList{} << QStringList{"virtual-audio-capturer"};
}

void TestStandinRewrite::rewrite()
{
    QFETCH(QStringList, arguments);
    QFETCH(ArgumentRewriter::Mode, mode);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, errorLines);
    QFETCH(QStringList, resolved);

    QStringList asked;
    const auto resolve = [&asked](const std::string &name) -> std::optional<std::string> {
        asked << QString::fromStdString(name);
        const auto it = kFixtureDevices.find(name);
        if (it == kFixtureDevices.end())
            return std::nullopt;
        return it->second;
    };
    const ArgumentRewriter::Result result = ArgumentRewriter::rewrite(toStd(arguments), resolve);
    QCOMPARE(result.mode, mode);
    QCOMPARE(toQt(result.arguments), expected);
    QCOMPARE(toQt(result.errorLines), errorLines);
    QCOMPARE(asked, resolved);
    if (mode == ArgumentRewriter::Mode::ListDevices)
        QCOMPARE(QString::fromStdString(result.listInput), QStringLiteral("dummy"));
}

// The command lines exactly as the engine starts them, split the way the
// engine's single-string process start splits them.
void TestStandinRewrite::engineCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("expected"); // the real ffmpeg's arguments; empty for a listing

    const QString p = QStringLiteral("\"/home/u/Documents/ZeltoAudioRecord/0.mp3\"");
    const QString path = QStringLiteral("/home/u/Documents/ZeltoAudioRecord/0.mp3");
    const QString m = QStringLiteral("\"Microphone (USB Audio)\"");
    QTest::newRow("system sound") << "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -ab 128k " +
                                         p
                                  << QStringList{"-y",  "-f",   "pulse",          "-i", "speakers.monitor",
                                                 "-ab", "128k", "-flush_packets", "1",  path};
    QTest::newRow("microphone") << "ffmpeg.exe -y -f dshow -i audio=" + m + " -ab 256k " + p
                                << QStringList{"-y",  "-f",   "pulse",          "-i", "usbmic",
                                               "-ab", "256k", "-flush_packets", "1",  path};
    QTest::newRow("mixed")
        << "ffmpeg.exe -y -f dshow -i audio=\"virtual-audio-capturer\" -f dshow -i audio=" + m +
               " -filter_complex amix=inputs=2:duration=first:dropout_transition=2 -ab 320k " + p
        << QStringList{"-y",
                       "-f",
                       "pulse",
                       "-i",
                       "speakers.monitor",
                       "-f",
                       "pulse",
                       "-i",
                       "usbmic",
                       "-filter_complex",
                       "amix=inputs=2:duration=first:dropout_transition=2",
                       "-ab",
                       "320k",
                       "-flush_packets",
                       "1",
                       path};
    QTest::newRow("no input") << "ffmpeg.exe -y -ab 128k " + p << QStringList{"-y", "-ab", "128k", path};
    QTest::newRow("join (two blanks before -c)")
        << "ffmpeg.exe -f concat -safe 0 -i \"/app/merge.txt\"  -c copy \"/rec/10_11_12.mp3\" -y"
        << QStringList{
               "-f", "concat", "-safe", "0", "-i", "/app/merge.txt", "-c", "copy", "/rec/10_11_12.mp3", "-y"};
    QTest::newRow("listing") << "ffmpeg.exe -list_devices true -f dshow -i dummy" << QStringList{};
}

void TestStandinRewrite::engineCommands()
{
    QFETCH(QString, command);
    QFETCH(QStringList, expected);

    QStringList split = QProcess::splitCommand(command);
    QCOMPARE(split.takeFirst(), QStringLiteral("ffmpeg.exe"));
    const auto resolve = [](const std::string &name) -> std::optional<std::string> {
        const auto it = kFixtureDevices.find(name);
        return it == kFixtureDevices.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    const ArgumentRewriter::Result result = ArgumentRewriter::rewrite(toStd(split), resolve);
    QCOMPARE(result.mode == ArgumentRewriter::Mode::ListDevices, expected.isEmpty());
    QVERIFY(result.mode != ArgumentRewriter::Mode::Failed);
    QCOMPARE(toQt(result.arguments), expected);
}

void TestStandinRewrite::deviceOrder_data()
{
    QTest::addColumn<QString>("caseName");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("test environment")
        << "fixture" << QStringList{"Microphone (USB Audio)", "virtual-audio-capturer"};
    QTest::newRow("default input first, monitors left out")
        << "default-later" << QStringList{"Webcam Mic", "Line In", "virtual-audio-capturer"};
    QTest::newRow("a monitor as default input is still no microphone")
        << "monitor-default" << QStringList{"Line In", "Webcam Mic", "virtual-audio-capturer"};
    QTest::newRow("no output sink: no system sound") << "no-sink" << QStringList{"Line In"};
    QTest::newRow("no sound server") << "none" << QStringList{};
}

void TestStandinRewrite::deviceOrder()
{
    QFETCH(QString, caseName);
    QFETCH(QStringList, names);

    SoundServerSnapshot server;
    if (caseName == "fixture") {
        server.sources = {source("speakers.monitor", "Monitor of Speakers", true),
                          source("micfeed.monitor", "Monitor of MicFeed", true),
                          source("usbmic", "Microphone (USB Audio)", false)};
        server.defaultSource = "usbmic";
        server.defaultSinkMonitor = "speakers.monitor";
    } else if (caseName == "default-later" || caseName == "monitor-default" || caseName == "no-sink") {
        server.sources = {source("line", "Line In", false),
                          source("speakers.monitor", "Monitor of Speakers", true),
                          source("cam", "Webcam Mic", false)};
        server.defaultSource = caseName == "default-later" ? "cam" : "speakers.monitor";
        if (caseName == "no-sink") {
            server.sources.pop_back();
        } else {
            server.defaultSinkMonitor = "speakers.monitor";
        }
    }
    const AudioDeviceList devices = caseName == "none" ? AudioDeviceList() : AudioDeviceList(server);
    QCOMPARE(deviceNames(QString::fromStdString(devices.listing("dummy"))), names);

    // Every listed name finds its device again, and so does its alternative name.
    for (const auto &device : devices.devices()) {
        QCOMPARE(devices.find(device.name), &device);
        QCOMPARE(devices.find(device.alternativeName), &device);
    }
    QVERIFY(devices.find("Monitor of Speakers") == nullptr);
    if (names.contains("virtual-audio-capturer"))
        QCOMPARE(devices.find("virtual-audio-capturer")->source, std::string("speakers.monitor"));
}

void TestStandinRewrite::listingLayout()
{
    SoundServerSnapshot server;
    server.sources = {source("usbmic", "Microphone (USB Audio)", false)};
    server.defaultSource = "usbmic";
    server.defaultSinkMonitor = "speakers.monitor";
    const QString text = QString::fromStdString(AudioDeviceList(server).listing("dummy"));
    const QStringList lines = text.split('\n');

    const QString p = QStringLiteral("[dshow @ 0000020a1b2c3d40] ");
    QCOMPARE(lines.value(0), p + "DirectShow video devices (some may be both video and audio devices)");
    QCOMPARE(lines.value(1), p + " Could not enumerate video only devices (or none found).");
    QCOMPARE(lines.value(2), p + "DirectShow audio devices");
    QCOMPARE(lines.value(3), p + " \"Microphone (USB Audio)\"");
    QVERIFY2(lines.value(4).startsWith(p + "    Alternative name \"@device_cm_"), qPrintable(lines.value(4)));
    QCOMPARE(lines.value(5), p + " \"virtual-audio-capturer\"");
    QVERIFY(lines.value(6).startsWith(p + "    Alternative name \""));
    QCOMPARE(lines.value(7), QStringLiteral("dummy: Immediate exit requested"));
    QCOMPARE(lines.value(8), QString());
    QCOMPARE(lines.size(), 9);

    // The marks a reader of the listing relies on: the first quoted name after
    // the audio header, and "Alternative name" following closely after it.
    const int header = text.indexOf("DirectShow audio devices");
    const int q1 = text.indexOf('"', header);
    const int q2 = text.indexOf('"', q1 + 1);
    const int alternative = text.indexOf("Alternative name", q2);
    QCOMPARE(text.mid(q1, q2 - q1 + 1), QStringLiteral("\"Microphone (USB Audio)\""));
    QVERIFY(alternative > 0 && alternative - q2 < 128);

    // Without devices the audio section says so, without any quote.
    const QString empty = QString::fromStdString(AudioDeviceList().listing("dummy"));
    QVERIFY(empty.contains("Could not enumerate audio only devices (or none found)."));
    QVERIFY(!empty.contains('"'));
}

void TestStandinRewrite::alternativeNames()
{
    const QRegularExpression form(QStringLiteral("^@device_cm_\\{33D9A762-90C8-11D0-BD43-00A0C911CE86\\}"
                                                 "\\\\wave_\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-"
                                                 "[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    const QStringList sources{"usbmic", "usbmic2", "speakers.monitor",
                              "alsa_input.pci-0000_00_1f.3.analog-stereo", ""};
    QSet<QString> seen;
    for (const QString &s : sources) {
        const QString name = QString::fromStdString(AudioDeviceList::alternativeNameFor(s.toStdString()));
        QVERIFY2(form.match(name).hasMatch(), qPrintable(name));
        QCOMPARE(QString::fromStdString(AudioDeviceList::alternativeNameFor(s.toStdString())),
                 name); // stable
        seen.insert(name);
    }
    QCOMPARE(seen.size(), sources.size()); // unique
}

QTEST_GUILESS_MAIN(TestStandinRewrite)
#include "tst_standin_rewrite.moc"
