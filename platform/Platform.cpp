#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
QString &applicationDirOverride()
{
    static QString dir;
    return dir;
}
} // namespace

QString Platform::applicationDir()
{
    const QString &dir = applicationDirOverride();
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

void Platform::setApplicationDirForTesting(const QString &dir)
{
    applicationDirOverride() = dir;
}

QChar Platform::nativeSeparator()
{
    return QDir::separator();
}

QString Platform::toNativeSeparators(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void Platform::putProgramDirFirstOnSearchPath()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    if (programDir.isEmpty())
        return;
    const QString path = QString::fromLocal8Bit(qgetenv("PATH"));
    const QStringList entries = path.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &entry : entries) {
        if (QDir(entry) == QDir(programDir))
            return;
    }
    const QString newPath = path.isEmpty() ? programDir : programDir + QDir::listSeparator() + path;
    qputenv("PATH", newPath.toLocal8Bit());
}

bool Platform::openFolder(const QString &path)
{
    // xdg-open hands the folder to whatever file manager the desktop prefers.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    return QProcess::startDetached(opener, {QUrl::fromLocalFile(path).toString()});
}
