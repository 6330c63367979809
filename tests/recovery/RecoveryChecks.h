#pragma once

// What the recovery tests look for in a save folder: the segments a capture
// leaves ("0.mp3", "1.mp3", …) and the finished recordings (every other MP3).

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

namespace RecoveryChecks {

inline bool isSegmentName(const QString &name)
{
    static const QRegularExpression segment(QStringLiteral("^\\d+\\.mp3$"));
    return segment.match(name).hasMatch();
}

// Full paths of the segments in folder, in number order.
inline QStringList segmentFiles(const QString &folder)
{
    QStringList found;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.mp3")}, QDir::Files);
    for (int n = 0; n < 1000; ++n) {
        const QString name = QString::number(n) + QStringLiteral(".mp3");
        if (names.contains(name))
            found << QDir(folder).filePath(name);
    }
    return found;
}

// Full paths of every MP3 in folder that is not a segment.
inline QStringList finishedFiles(const QString &folder)
{
    QStringList found;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!isSegmentName(name))
            found << QDir(folder).filePath(name);
    }
    return found;
}

} // namespace RecoveryChecks
