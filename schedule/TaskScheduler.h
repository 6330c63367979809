#pragma once

#include "RecordState.h"

#include <QDateTime>
#include <QList>
#include <QObject>

// Keeps the scheduled recording tasks and, on every pass, tells its owner to
// start or stop a recording. It reads the time from Clock and learns the
// recorder's state from its owner; it knows nothing of any window.
//
// A task is identified by the index of its row in the task dialog. Passes are
// driven from outside (the owner's one-second timer calls slot_timeOut).
class TaskScheduler : public QObject
{
    Q_OBJECT

public:
    explicit TaskScheduler(QObject *parent = nullptr);

    // True from a scheduled start (or the adoption of a running recording)
    // until the next scheduled end or the removal of the running task.
    bool isTimeRecording() const { return timeRecording; }

    // True while the start of some pending task lies after now.
    bool hasFutureStart() const;

    // Drops every pending task, recording or not, and sends nothing.
    void clear();

signals:
    // The owner selects this AudioSource and presses its start/pause control;
    // sent only while the recorder is idle (start) or paused (resume).
    void startRequested(int audioSource);
    // The owner finishes and saves whatever recording is running or paused.
    void stopRequested();

public slots:
    // Accepts a task unless its end is already past (then the error file gets
    // its line). Returns whether it was accepted.
    bool addTask(int index, QDateTime startDateTime, QDateTime endDateTime, int recordDevice);
    // Cancels the task with this index; if it holds the scheduled recording,
    // that recording is stopped and saved as at a normal end.
    void removeTask(int index);
    // The recorder's state; the owner reports every change.
    void setRecordState(int state);
    // One scheduling pass.
    void slot_timeOut();

private:
    struct Task
    {
        int index;
        QDateTime start;
        QDateTime end;
        int device;
    };

    void startTask(const Task &task);

    QList<Task> tasks;
    bool timeRecording = false;
    // Index of the task whose recording is running, -1 for none.
    int recordingTask = -1;
    RecordState recordState = Idle;
};
