#pragma once

#include <QString>

class QIODevice;

// Walks the MPEG audio frames of an MP3 file without decoding them: the
// ID3v2 tag is skipped, the Xing/Info frame that an encoder writes in front of
// the audio is not counted, and a frame cut off by the end of the file is not
// counted either. This is how the engine tells a segment that holds audio
// from one that a capture ended before any sound was written, and how it
// checks that a join copied every frame of its segments.
class Mp3Frames
{
public:
    // The complete audio frames of the file, counting stops once stopAfter
    // were found (0: no limit). A missing or unreadable file has none.
    static qint64 count(const QString &path, qint64 stopAfter = 0);

    // True when the file exists and holds at least one complete audio frame.
    static bool holdsAudio(const QString &path);

private:
    static qint64 count(QIODevice *device, qint64 stopAfter);
    // Length in bytes of the Layer III frame with this 4-byte header, or 0
    // when the bytes are not such a header.
    static int frameLength(const unsigned char *header);
};
