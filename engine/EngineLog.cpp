#include "EngineLog.h"

#include "Platform.h"

#include <QDateTime>
#include <QFile>

void writeLog(const QString &message)
{
    QFile log(Platform::applicationDir() + QStringLiteral("/log.txt"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    log.write(message.toUtf8());
    log.write("\n", 1);
    log.close();
}

QString logTimestamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss "));
}
