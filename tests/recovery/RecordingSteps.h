#pragma once

// A recording told as steps for the real program: keys pressed in one go
// ("F7", "F7 F8" for a double press) and waits "wait R S N": until the R-th
// recording of the log has its S-th segment with N seconds of audio.

#include "RunningProgram.h"

#include <QStringList>
#include <QTest>

namespace RecordingSteps {

// Runs the steps; returns an empty string, or the step that failed.
inline QString play(RunningProgram &program, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words.first() != QLatin1String("wait")) {
            program.press(step);
            continue;
        }
        const int recording = words.value(1).toInt();
        const int segment = words.value(2).toInt();
        const double seconds = words.value(3).toDouble();
        if (!program.waitForLog(QStringLiteral("start record: "), recording))
            return step;
        const bool reached = QTest::qWaitFor(
            [&] {
                const QList<double> segments = program.segmentSecondsOfLastRecording();
                return segments.size() >= segment && segments.value(segment - 1) >= seconds;
            },
            30000);
        if (!reached)
            return step;
    }
    return QString();
}

inline double sum(const QList<double> &values)
{
    double total = 0;
    for (double v : values)
        total += v;
    return total;
}

} // namespace RecordingSteps
