// A stand-in for the platform calls the game makes: message boxes and wave plays are recorded.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

struct WavePlay {
    std::string path;  // empty for a stop
    unsigned flags;
};

namespace recording {
extern std::vector<platform::MessageRecord> messages;
extern std::vector<WavePlay> wavePlays;
// What playWave reports for a NOSTOP call, standing for "another sound is still playing".
extern bool oneShotPlaying;
void clear();
}  // namespace recording
