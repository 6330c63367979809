#include "RecordingFileActions.h"

#include "EngineLog.h"
#include "RecordingCatalogue.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("RecordingFileActions", text);
}

bool endsWithSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'));
}

// The name as one line of text for the user's message.
QString shownName(QString fileName)
{
    for (QChar &c : fileName) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return fileName;
}

// Anything at the path, a dangling symbolic link included.
bool somethingAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

bool RecordingFileActions::isPlainFileName(const QString &fileName)
{
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return false;
    return !fileName.contains(QLatin1Char('/')) && !fileName.contains(QLatin1Char('\\')) &&
           !fileName.contains(QChar(0));
}

QString RecordingFileActions::recordingPath(const QString &saveFolder, const QString &fileName)
{
    if (saveFolder.isEmpty() || endsWithSeparator(saveFolder))
        return saveFolder + fileName;
    return saveFolder + QLatin1Char('/') + fileName;
}

bool RecordingFileActions::play(const QString &saveFolder, const QString &fileName)
{
    if (!isPlainFileName(fileName)) {
        writeLog(QStringLiteral("play refused, not a plain file name: \"%1\"").arg(fileName));
        writeErrorText(QStringLiteral("file not exist"));
        return false;
    }
    const QString path = recordingPath(saveFolder, fileName);
    if (!QFileInfo::exists(path)) {
        writeErrorText(QStringLiteral("file not exist"));
        return false;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return true;
}

RecordingFileActions::DeleteResult RecordingFileActions::deleteRecording(RecordingCatalogue &catalogue,
                                                                         const QString &saveFolder,
                                                                         const QString &fileName)
{
    DeleteResult result;
    if (!isPlainFileName(fileName)) {
        writeLog(QStringLiteral("delete of the file skipped, not a plain file name: \"%1\"").arg(fileName));
        result.outcome = DeleteResult::UnsafeName;
        result.entriesRemoved = catalogue.removeEntries(fileName);
        return result;
    }

    const QString path = recordingPath(saveFolder, fileName);
    if (!somethingAt(path)) {
        result.outcome = DeleteResult::AlreadyGone;
        result.entriesRemoved = catalogue.removeEntries(fileName);
        return result;
    }

    // QFile::remove unlinks exactly this path: a symbolic link goes, not what
    // it points to, and a folder of that name is refused.
    QFile file(path);
    if (!file.remove()) {
        writeLog(QStringLiteral("delete failed: %1: %2").arg(path, file.errorString()));
        result.outcome = DeleteResult::NotRemovable;
        result.reason = QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()
                            ? tr("“%1”是一个文件夹，无法删除").arg(shownName(fileName))
                            : tr("文件“%1”无法删除，可能正在使用或没有权限").arg(shownName(fileName));
        return result;
    }
    result.outcome = DeleteResult::Deleted;
    result.entriesRemoved = catalogue.removeEntries(fileName);
    return result;
}
