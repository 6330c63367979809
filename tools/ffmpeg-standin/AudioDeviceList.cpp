#include "AudioDeviceList.h"

#include "DshowText.h"

#include <cstdint>
#include <cstdio>

namespace {

// The audio input device category of DirectShow.
constexpr const char *kAudioCategory = "{33D9A762-90C8-11D0-BD43-00A0C911CE86}";

std::uint64_t fnv1a(const std::string &text, std::uint64_t hash)
{
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

AudioDeviceList::AudioDeviceList(const SoundServerSnapshot &server)
{
    auto add = [this](const SoundServerSnapshot::Source &source) {
        m_devices.push_back({source.description, alternativeNameFor(source.name), source.name});
    };
    for (const auto &source : server.sources) {
        if (!source.isMonitor && source.name == server.defaultSource)
            add(source);
    }
    for (const auto &source : server.sources) {
        if (!source.isMonitor && source.name != server.defaultSource)
            add(source);
    }
    if (!server.defaultSinkMonitor.empty()) {
        m_devices.push_back(
            {systemSoundName, alternativeNameFor(server.defaultSinkMonitor), server.defaultSinkMonitor});
    }
}

const AudioDeviceList::Device *AudioDeviceList::find(const std::string &name) const
{
    for (const auto &device : m_devices) {
        if (device.name == name || device.alternativeName == name)
            return &device;
    }
    return nullptr;
}

std::string AudioDeviceList::listing(const std::string &input) const
{
    const std::string prefix = kDshowLinePrefix;
    std::string text;
    text += prefix + "DirectShow video devices (some may be both video and audio devices)\n";
    text += prefix + " Could not enumerate video only devices (or none found).\n";
    text += prefix + "DirectShow audio devices\n";
    for (const auto &device : m_devices) {
        text += prefix + " \"" + device.name + "\"\n";
        text += prefix + "    Alternative name \"" + device.alternativeName + "\"\n";
    }
    if (m_devices.empty())
        text += prefix + " Could not enumerate audio only devices (or none found).\n";
    text += input + ": Immediate exit requested\n";
    return text;
}

std::string AudioDeviceList::alternativeNameFor(const std::string &source)
{
    // Two independent 64-bit hashes of the source name make a GUID that stays
    // the same for the same source from run to run.
    const std::uint64_t high = fnv1a(source, 0xcbf29ce484222325ULL);
    const std::uint64_t low = fnv1a(source, 0x84222325cbf29ce4ULL ^ high);
    char guid[40];
    std::snprintf(guid, sizeof guid, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xffff), static_cast<unsigned>(high & 0xffff),
                  static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xffffffffffffULL));
    return std::string("@device_cm_") + kAudioCategory + "\\wave_" + guid;
}
