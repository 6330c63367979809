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
    // A working folder the program may not write to (an installed program
    // started from its own folder): the message goes beside the log instead.
    if (!file.open(QIODevice::WriteOnly)) {
        file.setFileName(Platform::applicationDir() + QStringLiteral("/errOut.txt"));
        if (!file.open(QIODevice::WriteOnly))
            return;
    }
    file.write(message.toLocal8Bit());
    file.close();
}
