// The main window's share of the recordings catalogue: it owns the
// catalogue, enters every finished recording and points the list window at
// the catalogue file.
#include "Brevane.h"

#include "Platform.h"
#include "RecordingCatalogue.h"
#include "VoiceList.h"

#include <QFile>
#include <QFileInfo>

void Brevane::loadCatalogue()
{
    const QString path = RecordingCatalogue::defaultFilePath();
    // When the program folder cannot be written, the catalogue lives in the
    // user's data folder; one already beside the program is taken along.
    const QString besideProgram = Platform::programDir() + QStringLiteral("/Brevane.json");
    if (Platform::applicationDirMoved() && !QFileInfo::exists(path) && QFileInfo::exists(besideProgram))
        QFile::copy(besideProgram, path);
    catalogue = std::make_unique<RecordingCatalogue>(path);
    catalogue->load();
    voiceList->setCatalogueFile(path);
}

void Brevane::appendToCatalogue(const QString &filePath)
{
    catalogue->append(filePath, audioLengthText);
}
