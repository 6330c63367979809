#pragma once

// How the main-window tests reach the program: widgets by object name,
// companion windows among the top-level windows, the engine and the timers
// among the main window's children.

#include "Brevane.h"
#include "RecordAudioCore.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

template <typename T> T *child(const QWidget &w, const char *name)
{
    T *found = w.findChild<T *>(QLatin1String(name));
    Q_ASSERT_X(found, "child", name);
    return found;
}

// The first top-level window of that class (the companion windows and
// prompts have no parent).
template <typename T> T *topLevel(bool visibleOnly = false)
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (auto *found = qobject_cast<T *>(window)) {
            if (!visibleOnly || found->isVisible())
                return found;
        }
    }
    return nullptr;
}

// The message dialog on screen whose first line reads title, or null.
template <typename Prompt> Prompt *promptTitled(const QString &title)
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *prompt = qobject_cast<Prompt *>(window);
        if (prompt && prompt->isVisible() &&
            prompt->template findChild<QLabel *>(QStringLiteral("labelTipText1"))->text() == title)
            return prompt;
    }
    return nullptr;
}

inline RecordAudioCore *engineOf(const Brevane &w)
{
    return w.findChild<RecordAudioCore *>(QStringLiteral("engine"));
}

inline QTimer *taskTimerOf(const Brevane &w)
{
    return w.findChild<QTimer *>(QStringLiteral("taskTimer"));
}
