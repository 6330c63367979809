#pragma once

#include <QString>

class RecordingCatalogue;

// Play and delete of a recording listed in the catalogue. The catalogue
// stores only file names; both actions look for the file in the save folder
// that is current when they run.
//
// A name from the catalogue is trusted only as a plain file name: an empty
// name, "." or "..", or one holding "/", "\" or a NUL never reaches the file
// system.
class RecordingFileActions
{
public:
    // What a delete did. keptEntry is true only when the file exists and could
    // not be removed; reason then holds one line for the user.
    struct DeleteResult
    {
        enum Outcome {
            Deleted,      // the file was removed, its entries too
            AlreadyGone,  // no file of that name; its entries were removed
            UnsafeName,   // not a plain name: entries removed, no file touched
            NotRemovable, // the file stays, and so do its entries
        };
        Outcome outcome = Deleted;
        int entriesRemoved = 0;
        QString reason;

        bool keptEntry() const { return outcome == NotRemovable; }
    };

    // True when fileName is a plain file name that may be looked up in a folder.
    static bool isPlainFileName(const QString &fileName);

    // saveFolder (with or without a trailing separator) joined with fileName.
    static QString recordingPath(const QString &saveFolder, const QString &fileName);

    // Opens the recording with the desktop's associated program. When there
    // is nothing of that name in the folder, or the name is not a plain one,
    // writes "file not exist" to "errOut.txt" and returns false.
    static bool play(const QString &saveFolder, const QString &fileName);

    // Removes the recording from disk and its entries from the catalogue
    // (which writes its file). The file is removed directly, never through a
    // shell. A file that exists but cannot be removed keeps its entries.
    static DeleteResult deleteRecording(RecordingCatalogue &catalogue, const QString &saveFolder,
                                        const QString &fileName);
};
