#pragma once

#include <string>
#include <vector>

// What the sound server tells about its capture sources, as far as the
// DirectShow emulation needs it. Sources are in the server's own order.
struct SoundServerSnapshot
{
    struct Source
    {
        std::string name;        // the server's source name, e.g. "usbmic"
        std::string description; // the human-readable name, e.g. "Microphone (USB Audio)"
        bool isMonitor = false;  // the monitor of an output sink
    };

    std::vector<Source> sources;
    std::string defaultSource;
    // The monitor source of the default output sink; empty when there is none.
    std::string defaultSinkMonitor;
};
