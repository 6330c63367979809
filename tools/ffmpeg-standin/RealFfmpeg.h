#pragma once

#include <string>

// Finds Debian's ffmpeg, which does the real work: QUELLIN_REAL_FFMPEG when
// set (tests use it), else /usr/bin/ffmpeg, else the first "ffmpeg" on PATH.
// A candidate that is this program itself is never taken.
class RealFfmpeg
{
public:
    // The path of the real ffmpeg, or empty when there is none.
    static std::string locate();
};
