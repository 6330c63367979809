#include "FakeRecorder.h"

#include "Clock.h"
#include "TaskScheduler.h"

FakeRecorder::FakeRecorder(TaskScheduler &taskScheduler) : scheduler(taskScheduler)
{
    connect(&scheduler, &TaskScheduler::startRequested, this, [this](int audioSource) {
        source = audioSource;
        pressStart();
    });
    connect(&scheduler, &TaskScheduler::stopRequested, this, &FakeRecorder::pressStop);
}

void FakeRecorder::pressStart()
{
    switch (recordState) {
    case Idle:
        log(QStringLiteral("record %1").arg(source));
        setState(Recording);
        break;
    case Recording:
        log(QStringLiteral("pause"));
        setState(Paused);
        break;
    case Paused:
        log(QStringLiteral("resume"));
        setState(Recording);
        break;
    }
}

void FakeRecorder::pressStop()
{
    if (recordState == Idle) {
        log(QStringLiteral("stop idle"));
        return;
    }
    log(QStringLiteral("save"));
    setState(Idle);
}

void FakeRecorder::setState(RecordState state)
{
    recordState = state;
    scheduler.setRecordState(state);
}

void FakeRecorder::log(const QString &what)
{
    events.append(Clock::now().toString(QStringLiteral("hh:mm:ss ")) + what);
}
