// The built ffmpeg.exe against the test environment's private sound server
// (a 440 Hz tone playing into the speakers, 880 Hz into the USB microphone)
// and Debian's real ffmpeg.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString kStandin = QStringLiteral(QUELLIN_PROGRAM_DIR "/ffmpeg.exe");
const QString kSystemDevice = QStringLiteral("audio=virtual-audio-capturer");
const QString kMicDevice = QStringLiteral("audio=Microphone (USB Audio)");
const QString kAmix = QStringLiteral("amix=inputs=2:duration=first:dropout_transition=2");

struct Run
{
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    result.finished = process.waitForStarted(timeoutMs) && process.waitForFinished(timeoutMs);
    if (!result.finished)
        process.kill();
    process.waitForFinished(5000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString tool(const char *name)
{
    const QString path =
        QStandardPaths::findExecutable(QString::fromLatin1(name), {"/usr/bin", "/usr/local/bin"});
    return path.isEmpty() ? QStandardPaths::findExecutable(QString::fromLatin1(name)) : path;
}

// ffprobe's view of a file: codec, bit rate, duration and container.
QMap<QString, QString> probe(const QString &file)
{
    const Run r = run(tool("ffprobe"), {"-v", "error", "-show_entries",
                                        "stream=codec_name,bit_rate,sample_rate:format=format_name,duration",
                                        "-of", "default=noprint_wrappers=1", file});
    QMap<QString, QString> values;
    for (const QByteArray &line : r.out.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            values.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)).trimmed());
    }
    return values;
}

// The file decoded by the real ffmpeg to mono 8 kHz signed 16-bit samples.
// Decoding errors (a file not finished properly) fail the test through `errors`.
QVector<double> decode(const QString &file, QByteArray *errors)
{
    const Run r = run(tool("ffmpeg"),
                      {"-nostdin", "-v", "error", "-i", file, "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
    *errors = r.err;
    QVector<double> samples;
    for (int i = 0; i + 1 < r.out.size(); i += 2) {
        const auto low = static_cast<unsigned char>(r.out[i]);
        const auto high = static_cast<unsigned char>(r.out[i + 1]);
        samples << static_cast<qint16>(low | (high << 8)) / 32768.0;
    }
    return samples;
}

constexpr int kRate = 8000;
constexpr int kBlock = 800; // 0.1 s: a whole number of periods of 440 and 880 Hz

// The share of a block's energy at one frequency (Goertzel): about 1 for a
// pure tone of that frequency, 0.5 each for two tones mixed equally.
double toneShare(const double *x, int n, double frequency)
{
    const double w = 2.0 * M_PI * frequency / kRate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (int i = 0; i < n; ++i) {
        const double s0 = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += x[i] * x[i];
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return energy > 0 ? 2.0 * power / (n * energy) : 0.0;
}

struct ToneReport
{
    double share440 = 0; // mean share over the blocks with sound
    double share880 = 0;
    double zeroCrossingHz = 0;
    int soundBlocks = 0;
};

ToneReport analyse(const QVector<double> &samples, int from = 0, int to = -1)
{
    if (to < 0 || to > samples.size())
        to = samples.size();
    ToneReport report;
    for (int start = from; start + kBlock <= to; start += kBlock) {
        double energy = 0;
        for (int i = 0; i < kBlock; ++i)
            energy += samples[start + i] * samples[start + i];
        if (std::sqrt(energy / kBlock) < 0.005) // silence: the capture's first moments
            continue;
        report.share440 += toneShare(samples.constData() + start, kBlock, 440);
        report.share880 += toneShare(samples.constData() + start, kBlock, 880);
        ++report.soundBlocks;
    }
    if (report.soundBlocks > 0) {
        report.share440 /= report.soundBlocks;
        report.share880 /= report.soundBlocks;
    }
    // Sign changes with a little hysteresis, so that coding noise around
    // silence does not count.
    int crossings = 0;
    int sign = 0;
    for (int i = from; i < to; ++i) {
        const int now = samples[i] > 0.01 ? 1 : samples[i] < -0.01 ? -1 : 0;
        if (now != 0 && now != sign) {
            if (sign != 0)
                ++crossings;
            sign = now;
        }
    }
    if (to - from > 1)
        report.zeroCrossingHz = crossings / 2.0 / ((to - from) / double(kRate));
    return report;
}

QString realFfmpegPath()
{
    return QFileInfo(tool("ffmpeg")).canonicalFilePath();
}

} // namespace

class TestStandinTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listing();
    void listingWithoutSoundServer_data();
    void listingWithoutSoundServer();
    void capture_data();
    void capture();
    void unknownDevice();
    void joinPassesThrough();
    void realFfmpegMissing_data();
    void realFfmpegMissing();

private:
    QTemporaryDir m_dir;
};

void TestStandinTool::initTestCase()
{
    QVERIFY2(QFileInfo(kStandin).isExecutable(), qPrintable(kStandin));
    QVERIFY(!tool("ffmpeg").isEmpty());
    QVERIFY(!tool("ffprobe").isEmpty());
    QVERIFY(m_dir.isValid());
}

void TestStandinTool::listing()
{
    const Run r = run(kStandin, {"-list_devices", "true", "-f", "dshow", "-i", "dummy"});
    QVERIFY(r.finished);
    QCOMPARE(r.exitCode, 1);  // like the real tool: "Immediate exit requested"
    QVERIFY(r.out.isEmpty()); // the listing goes to the error output
    const QStringList lines = QString::fromUtf8(r.err).split('\n', Qt::SkipEmptyParts);

    const int header = lines.indexOf(QRegularExpression(".*DirectShow audio devices$"));
    QVERIFY2(header >= 0, r.err.constData());
    QStringList names;
    const QRegularExpression nameLine(QStringLiteral("^\\[dshow @ [0-9a-f]+\\]  \"(.*)\"$"));
    const QRegularExpression alternativeLine(
        QStringLiteral("^\\[dshow @ [0-9a-f]+\\]     Alternative name "
                       "\"@device_cm_\\{[-0-9A-F]+\\}\\\\wave_\\{[-0-9A-F]+\\}\"$"));
    QStringList alternatives;
    for (int i = header + 1; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = nameLine.match(lines[i]);
        if (!match.hasMatch())
            continue;
        names << match.captured(1);
        QVERIFY2(alternativeLine.match(lines.value(i + 1)).hasMatch(), qPrintable(lines.value(i + 1)));
        alternatives << lines.value(i + 1);
    }
    // The microphone first, right after the header; the monitors of the
    // speakers and of the microphone's feed are no microphones.
    QCOMPARE(names, QStringList({"Microphone (USB Audio)", "virtual-audio-capturer"}));
    QVERIFY(nameLine.match(lines.value(header + 1)).hasMatch());
    QCOMPARE(alternatives.size(), 2);
    QVERIFY(alternatives[0] != alternatives[1]);
    QVERIFY(lines.last().endsWith("dummy: Immediate exit requested"));

    // The same ids on the next run.
    const Run again = run(kStandin, {"-list_devices", "true", "-f", "dshow", "-i", "dummy"});
    QCOMPARE(again.err, r.err);
}

void TestStandinTool::listingWithoutSoundServer_data()
{
    QTest::addColumn<bool>("silentServer");
    QTest::newRow("no server at the address") << false;
    QTest::newRow("a server that never answers") << true;
}

void TestStandinTool::listingWithoutSoundServer()
{
    QFETCH(bool, silentServer);
    const QString socketPath = m_dir.filePath(silentServer ? "silent.sock" : "absent.sock");
    int listener = -1;
    if (silentServer) {
        // Accepts connections (the kernel queues them) and never says a word.
        listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        QVERIFY(size_t(path.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(listener, 8), 0);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PULSE_SERVER", "unix:" + socketPath);

    // It ends by itself, well within the 30 s a caller waits for it.
    const Run r = run(kStandin, {"-list_devices", "true", "-f", "dshow", "-i", "dummy"}, environment, 15000);
    if (listener >= 0)
        ::close(listener);
    QVERIFY(r.finished);
    QCOMPARE(r.exitCode, 1);
    const QString text = QString::fromUtf8(r.err);
    QVERIFY2(text.contains("DirectShow audio devices"), qPrintable(text));
    QVERIFY2(!text.contains('"'), qPrintable(text)); // no device at all
    QVERIFY(!text.contains("Alternative name"));

    // A capture cannot find its device either, and leaves no file.
    const QString out = m_dir.filePath(silentServer ? "silent.mp3" : "absent.mp3");
    const Run capture =
        run(kStandin, {"-y", "-f", "dshow", "-i", kSystemDevice, "-ab", "128k", out}, environment, 15000);
    QVERIFY(capture.finished);
    QCOMPARE(capture.exitCode, 1);
    QVERIFY(!QFile::exists(out));
}

void TestStandinTool::capture_data()
{
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<int>("kbps");
    QTest::addColumn<QString>("stop"); // "q" on standard input, the polite terminate request, or a kill
    QTest::addColumn<bool>("want440");
    QTest::addColumn<bool>("want880");

    const QStringList system{"-f", "dshow", "-i", kSystemDevice};
    const QStringList mic{"-f", "dshow", "-i", kMicDevice};
    QTest::newRow("system sound, q") << system << 128 << "q" << true << false;
    QTest::newRow("microphone, q") << mic << 256 << "q" << false << true;
    QTest::newRow("mixed, q") << (system + mic + QStringList{"-filter_complex", kAmix}) << 320 << "q" << true
                              << true;
    QTest::newRow("system sound, terminate") << system << 128 << "terminate" << true << false;
    // Killed at once (the program's shutdown): what was recorded so far stays.
    QTest::newRow("system sound, kill") << system << 128 << "kill" << true << false;
}

void TestStandinTool::capture()
{
    QFETCH(QStringList, inputs);
    QFETCH(int, kbps);
    QFETCH(QString, stop);
    QFETCH(bool, want440);
    QFETCH(bool, want880);

    const QString out =
        m_dir.filePath(QStringLiteral("%1.mp3").arg(QTest::currentDataTag()).replace(", ", "-"));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels); // as the engine runs it
    process.start(kStandin,
                  QStringList{"-y"} + inputs + QStringList{"-ab", QStringLiteral("%1k").arg(kbps), out});
    QVERIFY(process.waitForStarted(30000));

    // Capture until about 1.5 s of audio is in the file. The start of a capture
    // costs time (mixing two inputs more), so wait for the file, not the clock.
    const qint64 wanted = qint64(kbps) * 1000 / 8 * 3 / 2;
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += process.readAll(),
                              QFileInfo(out).size() >= wanted || process.state() == QProcess::NotRunning),
                             60000);
    QVERIFY2(process.state() == QProcess::Running, output.constData());

    // The stand-in became the real ffmpeg: same process, so "q" and the
    // terminate request reach it.
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(process.processId())).canonicalFilePath(),
             realFfmpegPath());
    QVERIFY2(!output.contains("-nostdin"), output.constData());

    if (stop == "terminate") {
        process.terminate();
    } else if (stop == "kill") {
        process.kill();
    } else {
        process.write("q");
    }
    QVERIFY(process.waitForFinished(30000));
    output += process.readAll();
    QCOMPARE(process.exitStatus(), stop == "kill" ? QProcess::CrashExit : QProcess::NormalExit);
    if (stop == "q")
        QCOMPARE(process.exitCode(), 0);

    const QMap<QString, QString> info = probe(out);
    QCOMPARE(info.value("format_name"), QStringLiteral("mp3"));
    QCOMPARE(info.value("codec_name"), QStringLiteral("mp3"));
    QCOMPARE(info.value("bit_rate"), QString::number(kbps * 1000));
    QVERIFY2(info.value("duration").toDouble() >= 1.3, qPrintable(info.value("duration")));

    QByteArray errors;
    const QVector<double> samples = decode(out, &errors);
    QVERIFY2(errors.isEmpty(), errors.constData()); // finished properly: decodes without complaint
    const ToneReport tones = analyse(samples);
    QVERIFY2(tones.soundBlocks >= 8, qPrintable(QString::number(tones.soundBlocks)));
    const QString detail = QStringLiteral("440: %1, 880: %2, zero crossings: %3 Hz")
                               .arg(tones.share440)
                               .arg(tones.share880)
                               .arg(tones.zeroCrossingHz);
    qInfo("%s; %s s of audio", qPrintable(detail), qPrintable(info.value("duration")));
    if (want440 && want880) {
        QVERIFY2(tones.share440 > 0.2 && tones.share880 > 0.2, qPrintable(detail));
    } else {
        const double frequency = want440 ? 440 : 880;
        QVERIFY2((want440 ? tones.share440 : tones.share880) > 0.8, qPrintable(detail));
        QVERIFY2((want440 ? tones.share880 : tones.share440) < 0.05, qPrintable(detail));
        // Leading silence lowers the count a little; never raises it.
        QVERIFY2(tones.zeroCrossingHz > frequency * 0.6 && tones.zeroCrossingHz < frequency * 1.05,
                 qPrintable(detail));
    }
}

void TestStandinTool::unknownDevice()
{
    const QString out = m_dir.filePath("unknown.mp3");
    const Run r = run(kStandin, {"-y", "-f", "dshow", "-i", "audio=Headset (Bluetooth)", "-ab", "128k", out});
    QVERIFY(r.finished);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFile::exists(out));
    QVERIFY2(r.err.contains("Could not find audio only device with name [Headset (Bluetooth)]"),
             r.err.constData());
    QVERIFY(r.err.contains("audio=Headset (Bluetooth): I/O error"));

    // No input at all (a microphone recording without a microphone): the real
    // ffmpeg refuses it, and leaves no file.
    const Run none = run(kStandin, {"-y", "-ab", "128k", out});
    QVERIFY(none.finished);
    QVERIFY(none.exitCode != 0);
    QVERIFY(!QFile::exists(out));

    // A known device with an unknown one beside it starts nothing either.
    const Run mixed = run(kStandin, {"-y", "-f", "dshow", "-i", kSystemDevice, "-f", "dshow", "-i",
                                     "audio=Gone", "-filter_complex", kAmix, "-ab", "128k", out});
    QCOMPARE(mixed.exitCode, 1);
    QVERIFY(!QFile::exists(out));
}

void TestStandinTool::joinPassesThrough()
{
    const QString folder = m_dir.filePath("join it's here");
    QVERIFY(QDir().mkpath(folder));
    const QString first = folder + "/0.mp3";
    const QString second = folder + "/1.mp3";
    for (const auto &[file, tone] : {std::pair{first, "sine=frequency=440:duration=1"},
                                     std::pair{second, "sine=frequency=880:duration=1"}}) {
        const Run make = run(tool("ffmpeg"), {"-nostdin", "-v", "error", "-f", "lavfi", "-i", tone, "-ac",
                                              "2", "-ab", "128k", file});
        QCOMPARE(make.exitCode, 0);
    }
    const QString list = m_dir.filePath("merge.txt");
    QFile listFile(list);
    QVERIFY(listFile.open(QIODevice::WriteOnly));
    for (QString file : {first, second})
        listFile.write("file '" + file.replace("'", "'\\''").toUtf8() + "'\n");
    listFile.close();

    const QString out = folder + "/12_00_00.mp3";
    const Run r = run(kStandin, {"-f", "concat", "-safe", "0", "-i", list, "-c", "copy", out, "-y"});
    QVERIFY(r.finished);
    QVERIFY2(r.exitCode == 0, r.err.constData());
    const QMap<QString, QString> info = probe(out);
    QCOMPARE(info.value("codec_name"), QStringLiteral("mp3"));
    QCOMPARE(info.value("bit_rate"), QStringLiteral("128000"));
    QVERIFY2(std::abs(info.value("duration").toDouble() - 2.0) < 0.1, qPrintable(info.value("duration")));

    // The segments in order: 440 Hz, then 880 Hz.
    QByteArray errors;
    const QVector<double> samples = decode(out, &errors);
    QVERIFY(errors.isEmpty());
    QVERIFY(analyse(samples, 1600, 6400).share440 > 0.8);
    QVERIFY(analyse(samples, 9600, 14400).share880 > 0.8);
}

void TestStandinTool::realFfmpegMissing_data()
{
    QTest::addColumn<QString>("realFfmpeg");
    QTest::addColumn<QStringList>("arguments");
    const QStringList join{"-f", "concat", "-safe", "0", "-i", "merge.txt", "-c", "copy", "out.mp3", "-y"};
    const QStringList capture{"-y", "-f", "dshow", "-i", kSystemDevice, "-ab", "128k", "missing.mp3"};
    QTest::newRow("not there, join") << "/nonexistent/ffmpeg" << join;
    QTest::newRow("not there, capture") << "/nonexistent/ffmpeg" << capture;
    QTest::newRow("only the stand-in itself") << kStandin << capture;
}

void TestStandinTool::realFfmpegMissing()
{
    QFETCH(QString, realFfmpeg);
    QFETCH(QStringList, arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUELLIN_REAL_FFMPEG", realFfmpeg);
    const Run r = run(kStandin, arguments, environment);
    QVERIFY(r.finished);
    QCOMPARE(r.exitCode, 127);
    QVERIFY2(r.err.contains("real ffmpeg was not found"), r.err.constData());
    QVERIFY(!QFile::exists("missing.mp3"));
}

QTEST_GUILESS_MAIN(TestStandinTool)
#include "tst_standin_tool.moc"
