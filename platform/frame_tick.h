// The frame tick: its rate, and the pacing of its ticks, kept apart from the clock so it can be
// checked directly. Every backend's message loop paces its ticks with it, and the game's frame
// rules count in the same frames.
#pragma once

#include <cstdint>

namespace platform {

constexpr int FRAMES_PER_SECOND = 100;
constexpr int FRAME_PERIOD_MS = 1000 / FRAMES_PER_SECOND;
constexpr uint64_t FRAME_PERIOD_MICROS = 1000000 / FRAMES_PER_SECOND;
constexpr float FRAME_SECONDS = 1.0f / FRAMES_PER_SECOND;  // a frame's step of game time

// Ticks fall on a fixed grid (start + n * period) of a monotonic clock. When the program falls
// behind by several periods, the missed ticks merge into one, as a window timer's messages do,
// and the grid stays where it was.
class FrameTicker {
public:
    FrameTicker(uint64_t startMicros, uint64_t periodMicros)
        : next_(startMicros + periodMicros), period_(periodMicros ? periodMicros : 1) {}

    // Whether a tick is due at now; if so, moves on to the first grid point after now.
    bool takeTick(uint64_t nowMicros);
    // How long to wait from now until the next tick is due (0 when it is due already).
    uint64_t microsUntilTick(uint64_t nowMicros) const {
        return nowMicros >= next_ ? 0 : next_ - nowMicros;
    }
    uint64_t nextTick() const { return next_; }

private:
    uint64_t next_;
    uint64_t period_;
};

}  // namespace platform
