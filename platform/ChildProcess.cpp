#include "ChildProcess.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

ChildProcess::ChildProcess(QObject *parent) : QProcess(parent) {}

void ChildProcess::killAndReap(QProcess *process, int waitLimitMs)
{
    if (process->state() == QProcess::NotRunning)
        return;
    process->kill();
    process->waitForFinished(waitLimitMs);
}

void ChildProcess::setupChildProcess()
{
    // Runs in the child between fork and exec; the setting survives the exec
    // of the tool (and the stand-in's exec of the real ffmpeg).
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The program may have died before the setting took effect.
    if (getppid() != parent)
        raise(SIGTERM);
}
