#include "TaskScheduler.h"

#include "Clock.h"
#include "EngineLog.h"

TaskScheduler::TaskScheduler(QObject *parent) : QObject(parent) {}

bool TaskScheduler::hasFutureStart() const
{
    const QDateTime now = Clock::now();
    for (const Task &task : tasks) {
        if (task.start > now)
            return true;
    }
    return false;
}

void TaskScheduler::clear()
{
    tasks.clear();
    timeRecording = false;
    recordingTask = -1;
}

bool TaskScheduler::addTask(int index, QDateTime startDateTime, QDateTime endDateTime, int recordDevice)
{
    if (endDateTime < Clock::now()) {
        writeErrorText(QStringLiteral("can not record audio: end time must bigger current time"));
        return false;
    }
    tasks.append({index, startDateTime, endDateTime, recordDevice});
    return true;
}

void TaskScheduler::removeTask(int index)
{
    for (int i = 0; i < tasks.size(); ++i) {
        if (tasks.at(i).index != index)
            continue;
        tasks.removeAt(i);
        if (timeRecording && recordingTask == index) {
            timeRecording = false;
            recordingTask = -1;
            if (recordState != Idle)
                emit stopRequested();
        }
        return;
    }
}

void TaskScheduler::setRecordState(int state)
{
    recordState = static_cast<RecordState>(state);
}

void TaskScheduler::slot_timeOut()
{
    for (int i = 0; i < tasks.size(); ++i) {
        const Task &task = tasks.at(i);
        if (!(Clock::now() < task.end)) {
            // Whatever runs is finished, even when another task started it;
            // that task starts again at the next pass if its window is open.
            tasks.removeAt(i);
            timeRecording = false;
            recordingTask = -1;
            emit stopRequested();
            return;
        }
        if (!(Clock::now() < task.start) && !timeRecording)
            startTask(task);
    }
}

void TaskScheduler::startTask(const Task &task)
{
    timeRecording = true;
    recordingTask = task.index;
    // A recording already running is left alone and becomes the task's own:
    // its end stops it. Pressing the start/pause control would pause it.
    if (recordState == Recording)
        return;
    emit startRequested(task.device);
}
