#include "RecordingCatalogue.h"

#include "EngineLog.h"
#include "Platform.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString KeyFileName = QStringLiteral("fileName");
const QString KeySize = QStringLiteral("size");
const QString KeyDate = QStringLiteral("date");
const QString KeyAudioLength = QStringLiteral("audioLength");

QJsonObject toObject(const RecordingEntry &entry)
{
    QJsonObject object;
    object.insert(KeyFileName, entry.fileName);
    object.insert(KeySize, entry.size);
    object.insert(KeyDate, entry.date);
    object.insert(KeyAudioLength, entry.audioLength);
    return object;
}

RecordingEntry fromValue(const QJsonValue &value)
{
    // toObject() of a non-object is an object without members, and toString()
    // of a missing or non-string member is empty text.
    const QJsonObject object = value.toObject();
    return RecordingEntry{object.value(KeyFileName).toString(), object.value(KeySize).toString(),
                          object.value(KeyDate).toString(), object.value(KeyAudioLength).toString()};
}

// Indented JSON as QJsonDocument writes it: "[" alone, objects at 4 blanks,
// members at 8 blanks in key order, LF line ends and a final line end.
QByteArray serialise(const QJsonArray &array)
{
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

// Reads the file in full. exists is false when there is nothing at the path.
QByteArray readAll(const QString &path, bool *exists)
{
    QFile file(path);
    *exists = file.exists();
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool holdsArray(const QByteArray &content)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    return error.error == QJsonParseError::NoError && document.isArray();
}

} // namespace

RecordingCatalogue::RecordingCatalogue(const QString &filePath, LogFunction log)
    : m_filePath(filePath), m_log(std::move(log))
{
}

QString RecordingCatalogue::defaultFilePath()
{
    return Platform::applicationDir() + QStringLiteral("/Brevane.json");
}

void RecordingCatalogue::load()
{
    bool exists = false;
    const QJsonDocument document = QJsonDocument::fromJson(readAll(m_filePath, &exists));
    m_entries = document.isArray() ? document.array() : QJsonArray();
}

QVector<RecordingEntry> RecordingCatalogue::entries() const
{
    QVector<RecordingEntry> result;
    result.reserve(m_entries.size());
    for (const QJsonValue &value : m_entries)
        result.append(fromValue(value));
    return result;
}

RecordingEntry RecordingCatalogue::append(const QString &recordingPath, const QString &audioLength)
{
    const RecordingEntry entry = entryFor(recordingPath, audioLength);
    m_entries.append(toObject(entry));
    write();
    return entry;
}

int RecordingCatalogue::removeEntries(const QString &fileName)
{
    int removed = 0;
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries.at(i).toObject().value(KeyFileName).toString() == fileName) {
            m_entries.removeAt(i);
            ++removed;
        }
    }
    write();
    return removed;
}

bool RecordingCatalogue::write()
{
    if (!m_fileChecked) {
        if (!moveUnreadableFileAside())
            return false;
        m_fileChecked = true;
    }
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        log(QStringLiteral("catalogue write failed: %1: %2").arg(m_filePath, file.errorString()));
        return false;
    }
    // QSaveFile buffers what it is given and, on commit, does not notice a
    // buffer that could not be flushed (a full disk): it would put an empty
    // or short file in place. Flush first and give up on any failure.
    const QByteArray bytes = serialise(m_entries);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        log(QStringLiteral("catalogue write failed: %1: %2").arg(m_filePath, file.errorString()));
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit()) {
        log(QStringLiteral("catalogue write failed: %1: %2").arg(m_filePath, file.errorString()));
        return false;
    }
    return true;
}

bool RecordingCatalogue::moveUnreadableFileAside()
{
    bool exists = false;
    const QByteArray content = readAll(m_filePath, &exists);
    if (!exists || holdsArray(content))
        return true;

    QString aside = m_filePath + QStringLiteral(".unreadable");
    for (int counter = 1; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++counter)
        aside = m_filePath + QStringLiteral(".unreadable.%1").arg(counter);

    QFile file(m_filePath);
    if (!file.rename(aside)) {
        log(QStringLiteral("catalogue unreadable and could not be moved aside, not written: %1: %2")
                .arg(m_filePath, file.errorString()));
        return false;
    }
    log(QStringLiteral("catalogue unreadable, moved aside: %1 -> %2").arg(m_filePath, aside));
    return true;
}

void RecordingCatalogue::log(const QString &message) const
{
    if (m_log)
        m_log(message);
    else
        writeLog(message);
}

RecordingEntry RecordingCatalogue::entryFor(const QString &recordingPath, const QString &audioLength)
{
    const QFileInfo info(recordingPath);
    const bool present = info.exists();
    const QDateTime born = present ? info.birthTime() : QDateTime();
    RecordingEntry entry;
    entry.fileName = info.fileName();
    entry.size = sizeText(present ? info.size() : 0);
    entry.date =
        born.isValid() ? born.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : QString();
    entry.audioLength = audioLength;
    return entry;
}

QString RecordingCatalogue::sizeText(qint64 bytes)
{
    // Single precision on purpose: 5,000 bytes give "0.00MB" and 995,000
    // bytes "1.00MB", as the catalogue has always shown them.
    const float megabytes = static_cast<float>(bytes) / 1000000.0f;
    return QString::number(static_cast<double>(megabytes), 'f', 2) + QStringLiteral("MB");
}

QByteArray RecordingCatalogue::writtenForm(const QVector<RecordingEntry> &entries)
{
    QJsonArray array;
    for (const RecordingEntry &entry : entries)
        array.append(toObject(entry));
    return serialise(array);
}

QVector<RecordingEntry> RecordingCatalogue::readEntries(const QString &filePath)
{
    bool exists = false;
    const QJsonDocument document = QJsonDocument::fromJson(readAll(filePath, &exists));
    QVector<RecordingEntry> result;
    if (!document.isArray())
        return result;
    const QJsonArray array = document.array();
    result.reserve(array.size());
    for (const QJsonValue &value : array)
        result.append(fromValue(value));
    return result;
}
