// "ffmpeg.exe" for a machine without DirectShow: accepts the command lines
// written for the Windows capture tool, maps DirectShow audio devices onto the
// PulseAudio sound server and then becomes Debian's real ffmpeg (same
// process), so that "q" on standard input and a terminate request reach it.

#include "ArgumentRewriter.h"
#include "AudioDeviceList.h"
#include "PulseQuery.h"
#include "RealFfmpeg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// How long the sound server may take to answer; the listing must end by itself.
constexpr int kServerTimeoutMs = 3000;

AudioDeviceList serverDevices()
{
    const std::optional<SoundServerSnapshot> snapshot = PulseQuery::query(kServerTimeoutMs);
    return snapshot ? AudioDeviceList(*snapshot) : AudioDeviceList();
}

int runRealFfmpeg(const std::vector<std::string> &arguments)
{
    const std::string program = RealFfmpeg::locate();
    if (program.empty()) {
        std::fprintf(stderr, "ffmpeg.exe: the real ffmpeg was not found (neither /usr/bin/ffmpeg nor "
                             "\"ffmpeg\" on PATH)\n");
        return 127;
    }
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>("ffmpeg"));
    for (const auto &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    execv(program.c_str(), argv.data());
    std::fprintf(stderr, "ffmpeg.exe: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    std::optional<AudioDeviceList> devices; // asked for only when a device is named
    const auto resolve = [&devices](const std::string &name) -> std::optional<std::string> {
        if (!devices)
            devices = serverDevices();
        if (const AudioDeviceList::Device *device = devices->find(name))
            return device->source;
        return std::nullopt;
    };

    const ArgumentRewriter::Result result = ArgumentRewriter::rewrite(arguments, resolve);
    switch (result.mode) {
    case ArgumentRewriter::Mode::ListDevices: {
        const std::string text = serverDevices().listing(result.listInput);
        std::fputs(text.c_str(), stderr);
        return 1; // the real tool ends a listing with "Immediate exit requested" and status 1
    }
    case ArgumentRewriter::Mode::Failed:
        for (const auto &line : result.errorLines)
            std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    case ArgumentRewriter::Mode::PassThrough:
    case ArgumentRewriter::Mode::Capture:
        break;
    }
    return runRealFfmpeg(result.arguments);
}
