// Actions on a recording chosen in the recordings list.
#include "Brevane.h"

void Brevane::slot_play(QString fileName)
{
    // Playing from the list is not in place yet.
    Q_UNUSED(fileName)
}

void Brevane::slot_deleteFile(QString fileName)
{
    // Deleting from the list is not in place yet.
    Q_UNUSED(fileName)
}
