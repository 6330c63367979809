#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const char kActivate[] = "activate\n";
const int kWaitMs = 2000;
} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent), m_name(QStringLiteral("%1-%2").arg(key).arg(getuid()))
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    // The socket lives beside the lock, by its full path: a bare name would
    // put it in the shared temporary folder, where a copy running with another
    // runtime folder (another session) would take it over.
    m_name = dir + QLatin1Char('/') + m_name;
    m_lock = new QLockFile(m_name + QStringLiteral(".lock"));
    // A copy that crashed leaves its lock behind; the lock file knows its
    // process and takes it over when that process is gone.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    delete m_lock;
}

bool SingleInstance::isFirst()
{
    if (m_lock->tryLock(0)) {
        listen();
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        // No lock can be taken at all (no writable folder): better run than not.
        return true;
    }
    notifyRunning();
    return false;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of this name is left over from a crash.
    QLocalServer::removeServer(m_name + QStringLiteral(".socket"));
    m_server->listen(m_name + QStringLiteral(".socket"));
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("activate"))
                    emit activationRequested();
            });
        }
    });
}

bool SingleInstance::notifyRunning() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name + QStringLiteral(".socket"));
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    return sent;
}
