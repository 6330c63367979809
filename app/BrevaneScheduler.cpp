// The main window's share of scheduled recording: the task dialog's button
// and the thin calls into the scheduler, which starts and stops recordings
// through the controller's slots.
#include "Brevane.h"

#include "RecordByTime.h"
#include "TaskScheduler.h"

void Brevane::slot_recordByTime(QDateTime startDateTime, QDateTime endDateTime, int recordDevice)
{
    scheduler->addTask(nextOwnTaskIndex--, startDateTime, endDateTime, recordDevice);
}

void Brevane::slot_timeOut()
{
    scheduler->slot_timeOut();
}

void Brevane::slot_recordbyTimeDialog()
{
    if (recordByTime->isHidden())
        showCompanion(recordByTime);
    else
        recordByTime->hide();
}
