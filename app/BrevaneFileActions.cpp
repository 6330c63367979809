// Actions on a recording chosen in the recordings list.
#include "Brevane.h"

#include "RecordingCatalogue.h"
#include "RecordingFileActions.h"
#include "VoiceList.h"

void Brevane::slot_play(QString fileName)
{
    RecordingFileActions::play(saveFolder, fileName);
}

void Brevane::slot_deleteFile(QString fileName)
{
    const RecordingFileActions::DeleteResult result =
        RecordingFileActions::deleteRecording(*catalogue, saveFolder, fileName);
    voiceList->refresh();
    if (result.keptEntry())
        showNotice(tr("提示"), result.reason);
}
