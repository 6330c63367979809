#pragma once

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QPoint>

namespace Ui {
class RecordByTime;
}
class QListWidgetItem;
class QShortcut;
class QToolTipWidget;
class timeTaskItem;

// The dialog in which scheduled recording tasks are entered and listed.
// Every accepted task gets a row whose index stays its identity for good: the
// index travels with the task (signal_sendTask) and comes back when the row is
// removed (signal_taskRemoved).
class RecordByTime : public QDialog
{
    Q_OBJECT

public:
    explicit RecordByTime(QWidget *parent = nullptr);
    ~RecordByTime() override;

signals:
    // An accepted task, its times cut to the whole minute.
    void signal_sendTime(QDateTime startDateTime, QDateTime endDateTime, int RecordDevice);
    // The same task with the index of its row; emitted right after signal_sendTime.
    void signal_sendTask(int index, QDateTime startDateTime, QDateTime endDateTime, int RecordDevice);
    // The row with this index was removed by the user.
    void signal_taskRemoved(int index);

public slots:
    void slots_sendTime();
    void slot_RemoveItem(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void addTaskRow();
    void refuse(const QString &reason);

    Ui::RecordByTime *ui;
    QPoint dragAnchor;
    bool dragging = false;
    timeTaskItem *lastRow = nullptr;
    QDateTime lastStart;
    QDateTime lastEnd;
    QList<QDateTime> startTimes;
    QList<QDateTime> endTimes;
    // Every row item ever added, by index; a removed row leaves a null entry
    // so that the indexes of the others stay valid.
    QList<QListWidgetItem *> taskItems;
    int taskCount = 0;
    QShortcut *escShortcut = nullptr;
    QToolTipWidget *refusalPrompt = nullptr;
};
