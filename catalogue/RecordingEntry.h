#pragma once

#include <QString>

// One finished recording as the catalogue lists it. The file name is the
// recording's name in the save folder; the folder itself is never stored.
struct RecordingEntry
{
    QString fileName;
    QString size;
    QString date;
    QString audioLength;

    bool operator==(const RecordingEntry &other) const
    {
        return fileName == other.fileName && size == other.size && date == other.date &&
               audioLength == other.audioLength;
    }
    bool operator!=(const RecordingEntry &other) const { return !(*this == other); }
};
