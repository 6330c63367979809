#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace TestSupport {

QString logText(const QString &dir)
{
    QFile file(dir + QStringLiteral("/log.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QStringList logLines(const QString &dir)
{
    QStringList lines = logText(dir).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString shotsDir(const QString &group)
{
    const QString dir = QStringLiteral(QUELLIN_BUILD_DIR "/tests/shots/") + group;
    QDir().mkpath(dir);
    return dir;
}

QString saveScreenshot(QWidget *window, const QString &dir, const QString &name)
{
    QScreen *screen = window->screen();
    if (!screen)
        return QString();
    const QRect area = window->frameGeometry();
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    return shot.save(path) ? path : QString();
}

QString testRoot()
{
    const QString root = qEnvironmentVariable("QUELLIN_TEST_ROOT");
    return root.isEmpty() ? QDir::tempPath() : root;
}

} // namespace TestSupport
