#pragma once

#include "RecordState.h"

#include <QObject>
#include <QStringList>

class TaskScheduler;

// Stands in for the main window's recorder as the scheduler sees it: the
// start/pause control, the stop, the source selector. Every change of state is
// reported back to the scheduler, and every effect is logged with the clock's
// time ("10:00:00 record 1", "pause", "resume", "save", "stop idle").
class FakeRecorder : public QObject
{
    Q_OBJECT

public:
    explicit FakeRecorder(TaskScheduler &scheduler);

    // The start/pause control, as F7 or the start button press it.
    void pressStart();
    // The stop control: finishes a running or paused recording, nothing when idle.
    void pressStop();

    RecordState state() const { return recordState; }
    int selectedSource() const { return source; }
    QStringList events;

private:
    void setState(RecordState state);
    void log(const QString &what);

    TaskScheduler &scheduler;
    RecordState recordState = Idle;
    int source = 2;
};
