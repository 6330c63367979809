// The scheduler: keeps the scheduled tasks and starts and stops recordings
// at their times, looked at once a second.
#include "Brevane.h"

#include "RecordByTime.h"
#include "ui_Brevane.h"

void Brevane::slot_recordByTime(QDateTime startDateTime, QDateTime endDateTime, int recordDevice)
{
    if (endDateTime < clock()) {
        writeErrorFile(QStringLiteral("can not record audio: end time must bigger current time"));
        return;
    }
    startTimeList.append(startDateTime);
    endTimeList.append(endDateTime);
    deviceList.append(recordDevice);
}

void Brevane::slot_timeOut()
{
    // The close confirmation empties only the start times; never read past
    // the shortest of the three sequences.
    for (int i = 0; i < endTimeList.size() && i < startTimeList.size() && i < deviceList.size(); ++i) {
        if (!(clock() < endTimeList.at(i))) {
            slot_EndRecordSound();
            endTimeList.removeAt(i);
            startTimeList.removeAt(i);
            deviceList.removeAt(i);
            isTimeRecording = false;
            return;
        }
        if (!(clock() < startTimeList.at(i)) && !isTimeRecording) {
            ui->comboboxVoiceFrom->setCurrentIndex(deviceList.at(i));
            slot_startRecordSound();
            isTimeRecording = true;
        }
    }
}

void Brevane::slot_recordbyTimeDialog()
{
    if (recordByTime->isHidden())
        recordByTime->show();
    else
        recordByTime->hide();
}
