// An optional record of when the message loop delivered its frame ticks, for measuring its
// pacing: with TARVEX_TICK_LOG=FILE in the environment, every tick's clock reading (in
// microseconds) is kept and written to FILE, one per line, when the program ends.
#pragma once

#include <cstdint>

namespace platform {

void recordTick(uint64_t micros);

}  // namespace platform
