// The headless backend's wave check, in a file of its own: a program that links a backend which
// reads WAV files ahead of this library (tarvex-tool with SDL's reader) gets that backend's check,
// and this object is then never taken from the library.
#include "platform/platform.h"

namespace platform {

// Nothing is ever played here (playWave fails for every file), so no file is playable either.
bool waveFilePlayable(const char*, std::string& reason) {
    reason = "this build plays no sound";
    return false;
}

}  // namespace platform
