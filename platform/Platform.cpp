#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

namespace {
QString &applicationDirOverride()
{
    static QString dir;
    return dir;
}
} // namespace

namespace {
// Whether a new file can be created in dir: the permission bits do not tell
// (an administrator, access lists, a read-only mount).
bool canCreateFilesIn(const QString &dir)
{
    QTemporaryFile probe(dir + QStringLiteral("/.write-test-XXXXXX"));
    return probe.open();
}

struct ResolvedDir
{
    QString path;
    bool moved = false;
};

const ResolvedDir &resolvedApplicationDir()
{
    static const ResolvedDir resolved = [] {
        ResolvedDir r;
        r.path = QCoreApplication::applicationDirPath();
        if (canCreateFilesIn(r.path))
            return r;
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (data.isEmpty() || !QDir().mkpath(data))
            return r;
        r.path = data;
        r.moved = true;
        return r;
    }();
    return resolved;
}
} // namespace

QString Platform::applicationDir()
{
    const QString &dir = applicationDirOverride();
    return dir.isEmpty() ? resolvedApplicationDir().path : dir;
}

QString Platform::programDir()
{
    return QCoreApplication::applicationDirPath();
}

bool Platform::applicationDirMoved()
{
    return applicationDirOverride().isEmpty() && resolvedApplicationDir().moved;
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
