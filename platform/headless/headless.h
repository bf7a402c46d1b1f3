// What the headless backend lets its users look at: the wave player's calls are recorded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform::headless {

struct WaveCall {
    std::string path;  // empty for a stop (null path)
    unsigned flags;
};

constexpr size_t MAX_RECORDED_WAVES = 65536;  // later calls are not recorded
const std::vector<WaveCall>& waveCalls();
void clearWaveCalls();

}  // namespace platform::headless
