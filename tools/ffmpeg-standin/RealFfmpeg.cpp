#include "RealFfmpeg.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isSelf(const struct stat &candidate)
{
    struct stat self
    {
    };
    return stat("/proc/self/exe", &self) == 0 && self.st_dev == candidate.st_dev &&
           self.st_ino == candidate.st_ino;
}

bool usable(const std::string &path)
{
    struct stat info
    {
    };
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0 && !isSelf(info);
}

} // namespace

std::string RealFfmpeg::locate()
{
    const char *forced = std::getenv("QUELLIN_REAL_FFMPEG");
    if (forced && *forced)
        return usable(forced) ? std::string(forced) : std::string();
    if (usable("/usr/bin/ffmpeg"))
        return "/usr/bin/ffmpeg";
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
        const std::string candidate = dir + "/ffmpeg";
        if (usable(candidate))
            return candidate;
        start = end + 1;
    }
    return std::string();
}
