#include "Clock.h"

Clock::Source &Clock::source()
{
    static Source current;
    return current;
}

QDateTime Clock::now()
{
    const Source &current = source();
    return current ? current() : QDateTime::currentDateTime();
}

void Clock::setSource(Source source)
{
    Clock::source() = std::move(source);
}
