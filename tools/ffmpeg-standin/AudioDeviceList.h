#pragma once

#include "SoundServerSnapshot.h"

#include <string>
#include <vector>

// The audio capture devices as a DirectShow listing shows them: the input
// sources of the sound server (the default one first, monitors left out),
// then "virtual-audio-capturer", the monitor of the default output sink,
// which is what the computer plays.
class AudioDeviceList
{
public:
    struct Device
    {
        std::string name;            // the DirectShow name: the source's description
        std::string alternativeName; // a stable unique id, "@device_cm_{...}\wave_{...}"
        std::string source;          // the sound server's source name
    };

    static constexpr const char *systemSoundName = "virtual-audio-capturer";

    // No sound server: no devices.
    AudioDeviceList() = default;
    explicit AudioDeviceList(const SoundServerSnapshot &server);

    const std::vector<Device> &devices() const { return m_devices; }

    // The device a "-i audio=NAME" names: NAME is the listed name or the
    // alternative name. The first match in listing order wins.
    const Device *find(const std::string &name) const;

    // What "ffmpeg -list_devices true -f dshow -i INPUT" prints.
    std::string listing(const std::string &input) const;

    // The alternative name of the device backed by the given source name.
    static std::string alternativeNameFor(const std::string &source);

private:
    std::vector<Device> m_devices;
};
