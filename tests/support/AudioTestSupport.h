#pragma once

// Small helpers shared by the engine tests: making and inspecting MP3 files
// with the real ffmpeg and ffprobe, reading the engine log, and putting a
// scripted stand-in for the capture tool in front of PATH.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtMath>

#include <cmath>
#include <cstring>
#include <vector>

namespace EngineTest {

inline QByteArray run(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

// A short MP3 of a sine tone, made the way a capture would make it.
inline bool makeTone(const QString &path, int frequency, double seconds, int kbps = 128)
{
    int rc = -1;
    run(QStringLiteral("ffmpeg"),
        {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
         QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2").arg(frequency).arg(seconds), "-ab",
         QStringLiteral("%1k").arg(kbps), path},
        &rc);
    return rc == 0;
}

struct Probe
{
    QString formatName;
    QString codecName;
    qint64 bitRate = 0;
    double duration = 0;
};

inline Probe probe(const QString &path)
{
    const QString text = QString::fromUtf8(
        run(QStringLiteral("ffprobe"),
            {"-v", "error", "-show_entries", "format=format_name,duration:stream=codec_name,bit_rate", "-of",
             "default=noprint_wrappers=1", path}));
    Probe p;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == QLatin1String("format_name"))
            p.formatName = value;
        else if (key == QLatin1String("codec_name"))
            p.codecName = value;
        else if (key == QLatin1String("bit_rate"))
            p.bitRate = value.toLongLong();
        else if (key == QLatin1String("duration"))
            p.duration = value.toDouble();
    }
    return p;
}

// The checksums of the compressed audio packets, in file order. A stream-copy
// join of segments A and B has exactly A's packets followed by B's.
inline QStringList packetHashes(const QString &path)
{
    const QString text =
        QString::fromUtf8(run(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", path, "-map", "0:a",
                                                         "-c", "copy", "-f", "framemd5", "-"}));
    QStringList hashes;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        hashes << line.section(QLatin1Char(','), 5, 5).trimmed();
    }
    return hashes;
}

struct ToneContent
{
    double rms = 0;      // of the decoded samples, full scale 1.0
    double share440 = 0; // share of the energy near 440 Hz
    double share880 = 0; // share of the energy near 880 Hz
};

// Goertzel power of one frequency over a block of samples.
inline double tonePower(const std::vector<double> &samples, double frequency, double sampleRate)
{
    const double coefficient = 2 * std::cos(2 * M_PI * frequency / sampleRate);
    double s1 = 0, s2 = 0;
    for (double x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

// Decodes to mono 8 kHz and measures how much of the sound is the two tones of
// the test sound server (440 Hz system sound, 880 Hz microphone).
inline ToneContent toneContent(const QString &path)
{
    const QByteArray pcm = run(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", path, "-ac", "1",
                                                          "-ar", "8000", "-f", "s16le", "-"});
    std::vector<double> samples(static_cast<size_t>(pcm.size() / 2));
    for (size_t i = 0; i < samples.size(); ++i) {
        qint16 v;
        std::memcpy(&v, pcm.constData() + 2 * i, 2);
        samples[i] = v / 32768.0;
    }
    ToneContent c;
    if (samples.empty())
        return c;
    double energy = 0;
    for (double x : samples)
        energy += x * x;
    c.rms = std::sqrt(energy / samples.size());
    if (energy <= 0)
        return c;
    // Goertzel power of a pure tone of amplitude A over N samples is about
    // (A N / 2)^2, while its energy is A^2 N / 2. Blocks of 0.1 s keep a
    // phase jump in the capture from cancelling the sum.
    const size_t block = 800;
    double p440 = 0, p880 = 0;
    for (size_t start = 0; start + block <= samples.size(); start += block) {
        const std::vector<double> part(samples.begin() + static_cast<long>(start),
                                       samples.begin() + static_cast<long>(start + block));
        p440 += tonePower(part, 440, 8000) * 2 / block;
        p880 += tonePower(part, 880, 8000) * 2 / block;
    }
    c.share440 = p440 / energy;
    c.share880 = p880 / energy;
    return c;
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

inline bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(content) == content.size();
}

// Writes an executable shell script named "ffmpeg.exe" into dir.
inline bool writeToolScript(const QString &dir, const QByteArray &body)
{
    const QString path = dir + QStringLiteral("/ffmpeg.exe");
    if (!writeFile(path, "#!/bin/sh\n" + body))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther);
}

// Puts dir in front of the system folders on PATH, hiding the program folder
// (and with it the usual ffmpeg.exe). Restored by the returned guard.
class PathGuard
{
public:
    explicit PathGuard(const QString &dir) : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", (dir + QStringLiteral(":/usr/bin:/bin")).toLocal8Bit());
    }
    ~PathGuard() { qputenv("PATH", m_saved); }
    PathGuard(const PathGuard &) = delete;
    PathGuard &operator=(const PathGuard &) = delete;

private:
    QByteArray m_saved;
};

inline bool processAlive(qint64 pid)
{
    return pid > 0 && QFile::exists(QStringLiteral("/proc/%1").arg(pid)) &&
           !readFile(QStringLiteral("/proc/%1/stat").arg(pid)).contains(") Z ");
}

} // namespace EngineTest
