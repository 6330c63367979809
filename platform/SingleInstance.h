#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

// One running recorder per user: two copies would share the segment names
// in one save folder and overwrite each other's audio. The first copy holds
// a lock file and listens on a local socket; a later copy finds the lock,
// asks the first one to come to the front, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // key names the lock and the socket; it is made unique per user.
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first copy. Otherwise the running copy
    // has been asked to show itself (activationRequested there).
    bool isFirst();

signals:
    // Another copy was started and asks this one to come to the front.
    void activationRequested();

private:
    void listen();
    bool notifyRunning() const;

    QString m_name;
    QLockFile *m_lock;
    QLocalServer *m_server = nullptr;
};
