#include "ArgumentRewriter.h"

#include "DshowText.h"

namespace {

bool isTrue(const std::string &value)
{
    return value == "true" || value == "1";
}

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

ArgumentRewriter::Result ArgumentRewriter::rewrite(const std::vector<std::string> &arguments,
                                                   const Resolver &resolve)
{
    Result result;
    const std::size_t count = arguments.size();

    // A device listing: "-list_devices true" together with DirectShow input.
    bool listDevices = false;
    bool anyDshow = false;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (arguments[i] == "-list_devices" && isTrue(arguments[i + 1]))
            listDevices = true;
        if (arguments[i] == "-f" && arguments[i + 1] == "dshow")
            anyDshow = true;
    }
    if (!anyDshow) {
        result.arguments = arguments;
        return result;
    }
    if (listDevices) {
        result.mode = Mode::ListDevices;
        for (std::size_t i = 0; i + 1 < count; ++i) {
            if (arguments[i] == "-i")
                result.listInput = arguments[i + 1];
        }
        return result;
    }

    // Input options apply to the next "-i": "-f dshow" marks the next input
    // as a DirectShow device.
    result.mode = Mode::Capture;
    bool dshowPending = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string &argument = arguments[i];
        if (argument == "-f" && i + 1 < count && arguments[i + 1] == "dshow") {
            result.arguments.push_back("-f");
            result.arguments.push_back("pulse");
            dshowPending = true;
            ++i;
            continue;
        }
        if (argument == "-f" && i + 1 < count) {
            // Another input format for the next input, or the output's format.
            result.arguments.push_back(argument);
            result.arguments.push_back(arguments[i + 1]);
            dshowPending = false;
            ++i;
            continue;
        }
        if (argument == "-i" && i + 1 < count && dshowPending) {
            const std::string &device = arguments[i + 1];
            const std::string audio = "audio=";
            if (!startsWith(device, audio) || device.size() == audio.size()) {
                result.mode = Mode::Failed;
                result.arguments.clear();
                result.errorLines = {std::string(kDshowLinePrefix) + "Malformed dshow input string.",
                                     device + ": I/O error"};
                return result;
            }
            const std::string name = device.substr(audio.size());
            const std::optional<std::string> source = resolve(name);
            if (!source) {
                result.mode = Mode::Failed;
                result.arguments.clear();
                result.errorLines = {std::string(kDshowLinePrefix) +
                                         "Could not find audio only device with name [" + name +
                                         "] among source devices of type audio.",
                                     device + ": I/O error"};
                return result;
            }
            result.arguments.push_back("-i");
            result.arguments.push_back(*source);
            dshowPending = false;
            ++i;
            continue;
        }
        result.arguments.push_back(argument);
    }
    // The output path comes last. Left to itself, ffmpeg holds the whole MP3
    // back until the capture ends, so a capture that is killed (or crashes)
    // leaves an empty file; writing every packet at once keeps what was
    // recorded so far. The file's content is the same either way.
    if (!result.arguments.empty()) {
        result.arguments.insert(result.arguments.end() - 1, {"-flush_packets", "1"});
    }
    return result;
}
