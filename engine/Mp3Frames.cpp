#include "Mp3Frames.h"

#include <QByteArray>
#include <QFile>

namespace {
const int kBitRatesV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kBitRatesV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int kSampleRates[4][3] = {
    {11025, 12000, 8000},  // MPEG 2.5
    {0, 0, 0},             // reserved
    {22050, 24000, 16000}, // MPEG 2
    {44100, 48000, 32000}, // MPEG 1
};

// Size of an ID3v2 tag at the start of data, or 0.
qint64 id3v2Size(const QByteArray &data)
{
    if (data.size() < 10 || !data.startsWith("ID3"))
        return 0;
    const auto *b = reinterpret_cast<const unsigned char *>(data.constData());
    for (int i = 6; i < 10; ++i) {
        if (b[i] & 0x80)
            return 0;
    }
    const qint64 size = (qint64(b[6]) << 21) | (qint64(b[7]) << 14) | (qint64(b[8]) << 7) | qint64(b[9]);
    const bool footer = (b[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

bool isInfoFrame(const QByteArray &frame)
{
    // The tag stands right after the side information, within the first 40 bytes.
    const QByteArray head = frame.left(48);
    return head.contains("Xing") || head.contains("Info");
}
} // namespace

int Mp3Frames::frameLength(const unsigned char *h)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (h[1] >> 3) & 0x03; // 0: 2.5, 2: 2, 3: 1
    const int layer = (h[1] >> 1) & 0x03;   // 1: Layer III
    const int bitRateIndex = (h[2] >> 4) & 0x0F;
    const int sampleRateIndex = (h[2] >> 2) & 0x03;
    const int padding = (h[2] >> 1) & 0x01;
    if (version == 1 || layer != 1 || bitRateIndex == 0 || bitRateIndex == 15 || sampleRateIndex == 3)
        return 0;
    const int kbps = version == 3 ? kBitRatesV1[bitRateIndex] : kBitRatesV2[bitRateIndex];
    const int sampleRate = kSampleRates[version][sampleRateIndex];
    const int factor = version == 3 ? 144 : 72;
    return factor * kbps * 1000 / sampleRate + padding;
}

qint64 Mp3Frames::count(QIODevice *device, qint64 stopAfter)
{
    qint64 frames = 0;
    const QByteArray start = device->peek(10);
    const qint64 tag = id3v2Size(start);
    if (tag > 0 && !device->skip(tag))
        return frames;

    bool first = true;
    for (;;) {
        const QByteArray header = device->peek(4);
        if (header.size() < 4)
            break;
        const int length = frameLength(reinterpret_cast<const unsigned char *>(header.constData()));
        if (length <= 4)
            break;
        if (first) {
            first = false;
            const QByteArray frame = device->read(length);
            if (frame.size() < length)
                break;
            if (isInfoFrame(frame))
                continue;
            ++frames;
        } else {
            // A frame is complete only when the file holds all of its bytes.
            if (device->size() - device->pos() < length || device->skip(length) < length)
                break;
            ++frames;
        }
        if (stopAfter > 0 && frames >= stopAfter)
            break;
    }
    return frames;
}

qint64 Mp3Frames::count(const QString &path, qint64 stopAfter)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return count(&file, stopAfter);
}

bool Mp3Frames::holdsAudio(const QString &path)
{
    return count(path, 1) > 0;
}
