#include "XDisplay.h"

#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
int execute(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
} // namespace

QString XDisplay::xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QStringList XDisplay::visibleWindowsOf(qint64 pid)
{
    return xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString XDisplay::waitForWindow(const QStringList &search, int ms)
{
    QString window;
    const bool found = QTest::qWaitFor(
        [&] {
            window =
                xdotool(QStringList{"search", "--onlyvisible"} + search).section(QLatin1Char('\n'), 0, 0);
            return !window.isEmpty();
        },
        ms);
    return found ? window : QString();
}

QRect XDisplay::geometry(const QString &window)
{
    QRect rect;
    const QStringList lines = xdotool({"getwindowgeometry", "--shell", window}).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (line.startsWith(QLatin1String("X=")))
            rect.moveLeft(value);
        else if (line.startsWith(QLatin1String("Y=")))
            rect.moveTop(value);
        else if (line.startsWith(QLatin1String("WIDTH=")))
            rect.setWidth(value);
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            rect.setHeight(value);
    }
    return rect;
}

QString XDisplay::name(const QString &window)
{
    return xdotool({"getwindowname", window});
}

void XDisplay::press(const QString &window, const QString &key)
{
    xdotool({"windowfocus", "--sync", window});
    xdotool({"key", key});
}

void XDisplay::key(const QString &key)
{
    xdotool({"key", key});
}

void XDisplay::type(const QString &text)
{
    xdotool({"type", "--delay", "40", text});
}

void XDisplay::click(const QPoint &screenPos)
{
    xdotool({"mousemove", "--sync", QString::number(screenPos.x()), QString::number(screenPos.y())});
    xdotool({"click", "1"});
}

QString XDisplay::screenshot(const QRect &area, const QString &group, const QString &name)
{
    QTemporaryDir scratch;
    const QString whole = scratch.filePath(QStringLiteral("root.png"));
    if (execute(QStringLiteral("import"), {"-window", "root", whole}) != 0)
        return QString();
    const QString crop =
        QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
    const QString path = TestSupport::shotsDir(group) + QLatin1Char('/') + name + QStringLiteral(".png");
    if (execute(QStringLiteral("convert"), {whole, "-crop", crop, "+repage", path}) != 0)
        return QString();
    return path;
}
