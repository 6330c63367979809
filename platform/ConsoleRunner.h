#pragma once

#include <QByteArray>

// Runs one command line as a hidden child process, without a shell: the line
// is split into program and arguments as QProcess::splitCommand does (blanks
// separate, double quotes group, tripled quotes stand for one quote). The
// line is taken as UTF-8.
//
// Waits for the process to end and returns everything it wrote to standard
// output and standard error, merged in the order it arrived, byte for byte;
// empty when it wrote nothing. A program that cannot be started (missing,
// not executable, empty line) gives "Cannot create process".
QByteArray runConsoleCommand(QByteArray command);
