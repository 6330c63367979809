#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// The test display as a user meets it: windows found by process and name,
// keys pressed and the mouse clicked through xdotool, screenshots of what is
// on the screen.
class XDisplay
{
public:
    static QString xdotool(const QStringList &arguments);

    // The first visible window the search finds (xdotool search arguments,
    // for example {"--pid", "123"}), waiting up to ms for it to be mapped;
    // empty when none appeared.
    static QString waitForWindow(const QStringList &search, int ms = 20000);
    // The visible windows of a process, as X window ids.
    static QStringList visibleWindowsOf(qint64 pid);
    static QRect geometry(const QString &window);
    static QString name(const QString &window);

    // Makes the window the active one and presses the key there.
    static void press(const QString &window, const QString &key);
    // Presses a key (or a combination such as "ctrl+a") in whatever has the focus.
    static void key(const QString &key);
    static void type(const QString &text);
    static void click(const QPoint &screenPos);

    // The area of the screen as a PNG in the screenshot folder of group
    // (TestSupport::shotsDir); returns its path, or an empty string on failure.
    static QString screenshot(const QRect &area, const QString &group, const QString &name);
};
