// Parses any bytes as a music module and, when they are accepted, plays a few hundred ticks in
// stereo and some in mono: nothing may read outside the image or overflow on the way.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/mixer_offline.h"
#include "music/module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    MusicModule module(image.data(), image.size());
    if (module.parse() != 0) return 0;
    if (module.parse() != 0) __builtin_trap();  // a second parse must accept it again
    OfflineMusic stereo(module, true);
    stereo.renderTicks(300, nullptr);
    OfflineMusic mono(module, false);
    mono.renderTicks(40, nullptr);
    return 0;
}
