#include "ConsoleRunner.h"

#include <QProcess>
#include <QString>
#include <QStringList>

QByteArray runConsoleCommand(QByteArray command)
{
    const QByteArray cannotCreate("Cannot create process");
    QStringList arguments = QProcess::splitCommand(QString::fromUtf8(command));
    if (arguments.isEmpty())
        return cannotCreate;
    const QString program = arguments.takeFirst();

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return cannotCreate;

    // One pipe carries both streams, so the bytes keep their order of arrival;
    // QProcess gathers them while we wait, without a size limit.
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return process.readAll();
}
