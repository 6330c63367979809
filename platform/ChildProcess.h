#pragma once

#include <QProcess>

// A child process that never outlives the program: when the program dies,
// however it dies, the child is asked to terminate (SIGTERM, which ffmpeg
// answers by finishing its output file). On the target platform a job object
// that ends with the program does the same.
class ChildProcess : public QProcess
{
    Q_OBJECT

public:
    explicit ChildProcess(QObject *parent = nullptr);

    // Kills the process if it still runs and reaps it, waiting at most
    // waitLimitMs, so that the object can start the next program.
    static void killAndReap(QProcess *process, int waitLimitMs);

protected:
    void setupChildProcess() override;
};
