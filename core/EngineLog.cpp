#include "EngineLog.h"

#include "Clock.h"
#include "Platform.h"

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
    return Clock::now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss "));
}

void writeErrorText(const QString &message)
{
    QFile file(QStringLiteral("errOut.txt"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(message.toLocal8Bit());
    file.close();
}
