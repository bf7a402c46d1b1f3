#include "platform/frame_tick.h"

namespace platform {

bool FrameTicker::takeTick(uint64_t nowMicros) {
    if (nowMicros < next_) return false;
    uint64_t missed = (nowMicros - next_) / period_;
    next_ += (missed + 1) * period_;
    return true;
}

}  // namespace platform
