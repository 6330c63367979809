#pragma once

#include "RecordingEntry.h"

#include <QJsonArray>
#include <QString>
#include <QVector>

#include <functional>

// The catalogue of finished recordings: a JSON array of entries kept in
// memory and written back to its file, whole, after every change.
//
// The file is replaced atomically (QSaveFile). A file that exists but does
// not hold a JSON array is never overwritten: before the first write it is
// moved aside to a free name beside it ("<file>.unreadable", then
// "<file>.unreadable.1" and so on).
class RecordingCatalogue
{
public:
    using LogFunction = std::function<void(const QString &)>;

    // filePath: the catalogue file. log: receives one line per failure or
    // repair; by default the engine log "log.txt".
    explicit RecordingCatalogue(const QString &filePath, LogFunction log = LogFunction());

    // "Brevane.json" in the program's directory.
    static QString defaultFilePath();

    QString filePath() const { return m_filePath; }

    // Replaces the in-memory entries with the file's array. A missing file,
    // or one that is not a JSON array, gives an empty catalogue; the file is
    // not touched.
    void load();

    // The entries, oldest first, read by the same rules as readEntries().
    QVector<RecordingEntry> entries() const;

    // Builds the entry for the finished recording at recordingPath (its file
    // name, size and birth time) with the given duration text, appends it and
    // writes the file. Returns the entry.
    RecordingEntry append(const QString &recordingPath, const QString &audioLength);

    // Removes every entry whose "fileName" equals fileName exactly and writes
    // the file, also when nothing matched. Returns how many entries went.
    int removeEntries(const QString &fileName);

    // Writes the in-memory entries to the file. On failure the reason goes to
    // the log and the entries stay as they are. Returns whether the file now
    // holds them.
    bool write();

    // The entry that append() would build, without appending it.
    static RecordingEntry entryFor(const QString &recordingPath, const QString &audioLength);
    // "<megabytes with two decimals>MB", computed in single precision.
    static QString sizeText(qint64 bytes);
    // The exact bytes of the catalogue file for these entries.
    static QByteArray writtenForm(const QVector<RecordingEntry> &entries);
    // The entries of the catalogue file at filePath, oldest first. A missing
    // or unreadable file gives none; an element that is not an object gives an
    // entry with empty texts, and so does every member that is not a string.
    static QVector<RecordingEntry> readEntries(const QString &filePath);

private:
    bool moveUnreadableFileAside();
    void log(const QString &message) const;

    QString m_filePath;
    LogFunction m_log;
    QJsonArray m_entries;
    bool m_fileChecked = false;
};
