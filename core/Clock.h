#pragma once

#include <QDateTime>

#include <functional>

// The one clock of the process. File names, the elapsed-time count, the
// engine log's timestamps, the task dialog's defaults and the scheduler all
// read the time here, so a test that sets it sees it everywhere.
class Clock
{
public:
    using Source = std::function<QDateTime()>;

    // The current local date-time.
    static QDateTime now();

    // Replaces the source of the time; an empty source restores the system clock.
    static void setSource(Source source);

private:
    static Source &source();
};
