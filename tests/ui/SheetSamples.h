#pragma once

#include <QString>

class QWidget;
class QMenu;

// Sample windows carrying the object names that each style sheet styles,
// built like the program's own windows, so the sheets can be looked at and
// checked without the rest of the program. Each loads its sheet through the
// scaler, so the current uiScale applies.
namespace SheetSamples {

QWidget *mainWindow();
QMenu *mainMenu(QWidget *parent);
QWidget *voiceList();
QWidget *floatWidget();
QMenu *floatMenu(QWidget *parent);
QWidget *recordByTime();
QWidget *messageDialog();

} // namespace SheetSamples
