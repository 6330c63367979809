#pragma once

#include <QString>
#include <QStringList>

class QProcess;

// Command lines of the capture tool. The log shows each command as one
// string; the tool is started with the words of that string as a list, so a
// path reaches it unchanged whatever characters it holds (double quotes
// included), and no shell ever interprets it.
class ToolCommand
{
public:
    // text between double quotes, as it is shown in a logged command line.
    // A double quote inside is tripled, the usual command-line convention.
    static QString quoted(const QString &text);

    // The words of a command line without paths in it: blanks separate,
    // double quotes group.
    static QStringList split(const QString &command);

    // Starts words[0] with the remaining words as arguments (read-write),
    // without waiting.
    static void start(QProcess *process, QStringList words);

    // A short sentence a user can act on, for what the tool printed before it
    // ended on its own; empty when the output names no known cause.
    static QString failureReason(const QString &output);
};
