#pragma once

// Helpers that tests of several folders share: the engine log, fixture
// folders, widget screenshots.

#include <QString>
#include <QStringList>

class QWidget;

namespace TestSupport {

// The lines of "log.txt" in dir, without their line ends.
QStringList logLines(const QString &dir);
// The whole text of "log.txt" in dir.
QString logText(const QString &dir);

// A folder for screenshots in the build tree (tests/shots/<group>), created
// when missing; kept after the run so the pictures can be looked at.
QString shotsDir(const QString &group);

// Grabs a window as the screen shows it (including its translucent parts
// over whatever lies beneath) into dir/name.png. Returns the file path, or an
// empty string on failure.
QString saveScreenshot(QWidget *window, const QString &dir, const QString &name);

// The test environment's private root folder (QUELLIN_TEST_ROOT), or the
// system's temporary folder outside it.
QString testRoot();

} // namespace TestSupport
