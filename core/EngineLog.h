#pragma once

#include <QString>

// Appends one line (the message as UTF-8 and LF) to "log.txt" in the
// application directory. Opened, written and closed for every line.
void writeLog(const QString &message);

// The timestamp that the engine puts in front of its own state lines: the
// clock's local date-time as "yyyy-MM-dd hh:mm:ss " with its trailing blank.
QString logTimestamp();

// Replaces the content of "errOut.txt" in the working directory with the
// message in the local 8-bit encoding, without a line end; where the working
// directory cannot be written, "errOut.txt" beside the engine log.
void writeErrorText(const QString &message);
