#pragma once

// Small pieces shared by the benchmarks.

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// True once ffmpeg's progress output shows a time above zero: audio is being
// encoded into the file.
inline bool showsEncodedAudio(const QString &text)
{
    static const QRegularExpression progress(QStringLiteral("time=(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d)"));
    auto it = progress.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(1).toInt() + m.captured(2).toInt() + m.captured(3).toInt() + m.captured(4).toInt() > 0)
            return true;
    }
    return false;
}

// The engine echoes every line of the tool's output as debug output; the
// benchmarks print only warnings and worse.
inline void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}
