#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

// Turns the segments of a finished recording into its one MP3 file: the
// single segment of a recording without pause is renamed, several are joined
// by the tool's concat reader through "merge.txt" by stream copy.
//
// What it guarantees: a segment without audio frames is left out (and
// removed, it holds nothing); the final name never replaces an existing file;
// a segment is removed only after the joined file was checked to hold all of
// their audio frames; a join that fails removes its own partial output and
// keeps every segment.
class SegmentJoiner : public QObject
{
    Q_OBJECT

public:
    enum Outcome {
        Written,         // the final file is at writtenPath()
        NothingRecorded, // no segment held audio; nothing was kept
        Failed,          // no final file; the segments with audio stay
        NotRun,          // segment index below zero: nothing done
    };

    explicit SegmentJoiner(QObject *parent = nullptr);

    // Finalises segments (full paths, recording order) into outputPath.
    // segmentIndex above 0 means joining, 0 renaming. The entries are
    // rewritten in place: forward slashes after a join, and segments without
    // audio are taken out of the list.
    Outcome finalise(QStringList &segments, int segmentIndex, const QString &outputPath);

    // The file really written by the last finalise, which may carry a counter
    // "(1)", "(2)", … when the requested name was taken. Empty when none.
    QString writtenPath() const;
    // A short sentence for the user about the last failure.
    QString failureReason() const;

    void setWaitLimitMs(int ms);

    // The first name of the form "stem.ext", "stem(1).ext", "stem(2).ext", …
    // that names no existing file.
    static QString firstFreeName(const QString &path);
    // The first of "dir/stem" + marker(n) + ".ext", n = 1, 2, …, that names
    // no existing file; the marker template holds %1 for n.
    static QString firstFreeVariant(const QString &path, const QString &markerTemplate);
    // One line of the concat list for a segment path (forward slashes already).
    static QString concatListLine(const QString &segmentPath);

private:
    Outcome join(QStringList &segments, const QString &outputPath);
    Outcome rename(const QStringList &segments, const QString &outputPath);
    // Takes the segments that hold no audio out of the list and off the disk.
    // Returns whether any was taken out.
    bool dropSilentSegments(QStringList &segments);
    bool runJoin(const QStringList &words, QByteArray *output);
    void fail(const QString &reason, const QStringList &kept);

    QProcess *m_process;
    int m_waitLimitMs = 30000;
    QString m_writtenPath;
    QString m_failureReason;
};
