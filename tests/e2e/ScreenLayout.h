#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

// Where the controls lie inside the program's windows, measured on the same
// windows built and shown in-process at the program's scale. Points are the
// controls' centres relative to their window's top-left corner.
class ScreenLayout
{
public:
    // False when the windows could not be shown; then no place is known.
    bool isValid() const { return !floatSize.isEmpty(); }

    // Builds a main window (its own files in scratchDir), shows it and its
    // companion windows, measures them and closes them again.
    static ScreenLayout measure(const QString &scratchDir);

    // Main window.
    QPoint radioButtonYes;
    QPoint btnRecordByTime;
    QPoint btnClose;
    // Floating window.
    QSize floatSize;
    QPoint floatBtnEnd;
    // Task dialog.
    QPoint lineEditTaskName;
    QPoint radioButton2;
    QPoint btnCreateTask;

private:
    static ScreenLayout measureShown();
};
