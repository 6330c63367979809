#include "ToolCommand.h"

#include <QCoreApplication>
#include <QProcess>

QString ToolCommand::quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QStringList ToolCommand::split(const QString &command)
{
    return QProcess::splitCommand(command);
}

void ToolCommand::start(QProcess *process, QStringList words)
{
    if (words.isEmpty())
        return;
    const QString program = words.takeFirst();
    process->start(program, words, QIODevice::ReadWrite);
}

QString ToolCommand::failureReason(const QString &output)
{
    struct Cause
    {
        const char *mark;
        const char *reason;
    };
    // Most specific first: a full disk also shows up as a failed write.
    static const Cause causes[] = {
        {"No space left on device", QT_TRANSLATE_NOOP("ToolCommand", "磁盘空间不足。")},
        {"Could not find audio only device",
         QT_TRANSLATE_NOOP("ToolCommand", "找不到录音设备，它可能已被拔出。")},
        {"pa_context_connect", QT_TRANSLATE_NOOP("ToolCommand", "声音服务没有运行。")},
        {"Connection refused", QT_TRANSLATE_NOOP("ToolCommand", "声音服务没有运行。")},
        {"Read-only file system", QT_TRANSLATE_NOOP("ToolCommand", "保存文件夹无法写入。")},
        {"Permission denied", QT_TRANSLATE_NOOP("ToolCommand", "保存文件夹无法写入。")},
        {"No such file or directory", QT_TRANSLATE_NOOP("ToolCommand", "保存文件夹不存在。")},
        {"Not a directory", QT_TRANSLATE_NOOP("ToolCommand", "保存文件夹不存在。")},
        {"Output file #0 does not contain any stream", QT_TRANSLATE_NOOP("ToolCommand", "没有找到麦克风。")},
        // The sound input's read failing in mid-capture (ffmpeg then ends with
        // code 0): the sound server went away under it.
        {"Generic error in an external library", QT_TRANSLATE_NOOP("ToolCommand", "声音服务没有运行。")},
    };
    for (const Cause &cause : causes) {
        if (output.contains(QLatin1String(cause.mark)))
            return QCoreApplication::translate("ToolCommand", cause.reason);
    }
    return QString();
}
