#include "ScreenLayout.h"

#include "Brevane.h"
#include "BrevaneProbe.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "RecordByTime.h"
#include "UiScale.h"

#include <QApplication>
#include <QtTest>

namespace {
QPoint centreOf(const QWidget &window, const char *name)
{
    const QWidget *widget = window.findChild<QWidget *>(QLatin1String(name));
    if (!widget)
        return QPoint(-1, -1);
    return widget->mapTo(&window, widget->rect().center());
}
} // namespace

ScreenLayout ScreenLayout::measure(const QString &scratchDir)
{
    // The program computes the scale from the same screen before its first window.
    computeUiScale();
    Platform::setApplicationDirForTesting(scratchDir);
    ScreenLayout layout = measureShown();
    Platform::setApplicationDirForTesting(QString());
    return layout;
}

ScreenLayout ScreenLayout::measureShown()
{
    ScreenLayout layout;
    {
        Brevane w;
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            return ScreenLayout();
        layout.radioButtonYes = centreOf(w, "radioButtonYes");
        layout.btnRecordByTime = centreOf(w, "btnRecordByTime");
        layout.btnClose = centreOf(w, "btnClose");

        FloatWidget *floating = topLevel<FloatWidget>();
        floating->show();
        if (!QTest::qWaitForWindowExposed(floating))
            return ScreenLayout();
        layout.floatSize = floating->frameGeometry().size();
        layout.floatBtnEnd = centreOf(*floating, "btnEnd");
        floating->hide();

        RecordByTime *dialog = topLevel<RecordByTime>();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog))
            return ScreenLayout();
        layout.lineEditTaskName = centreOf(*dialog, "lineEditTaskName");
        layout.radioButton2 = centreOf(*dialog, "radioButton2");
        layout.btnCreateTask = centreOf(*dialog, "btnCreateTask");
        dialog->hide();
    }
    return layout;
}
