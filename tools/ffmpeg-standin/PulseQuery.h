#pragma once

#include "SoundServerSnapshot.h"

#include <optional>

// Asks the PulseAudio server (the one libpulse finds by its usual rules:
// PULSE_SERVER, XDG_RUNTIME_DIR, ...) for its capture sources and defaults.
// Never starts a server of its own.
class PulseQuery
{
public:
    // No value when no server answers completely within the time limit.
    static std::optional<SoundServerSnapshot> query(int timeoutMs);
};
