#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Turns a command line written for ffmpeg with DirectShow input into one for
// ffmpeg with PulseAudio input. Each "-f dshow -i audio=NAME" becomes
// "-f pulse -i SOURCE"; every other argument passes unchanged and in order,
// and "-flush_packets 1" before the output path (the last argument) makes the
// capture write its file as it goes.
// A device listing ("-list_devices true -f dshow ...") is recognised but not
// rewritten: the caller prints the listing itself.
class ArgumentRewriter
{
public:
    enum class Mode {
        PassThrough, // no DirectShow input: run ffmpeg with the arguments as given
        Capture,     // DirectShow inputs rewritten to PulseAudio inputs
        ListDevices, // print the DirectShow device listing
        Failed,      // a DirectShow input that cannot be opened
    };

    struct Result
    {
        Mode mode = Mode::PassThrough;
        // For PassThrough and Capture: the arguments for the real ffmpeg,
        // without the program name.
        std::vector<std::string> arguments;
        // For ListDevices: the value of "-i" (the real tool names it in its last line).
        std::string listInput;
        // For Failed: the lines the real tool prints to its error output.
        std::vector<std::string> errorLines;
    };

    // Maps a DirectShow audio device name to the sound server's source name;
    // no value when there is no such device.
    using Resolver = std::function<std::optional<std::string>(const std::string &deviceName)>;

    static Result rewrite(const std::vector<std::string> &arguments, const Resolver &resolve);
};
