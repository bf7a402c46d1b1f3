// WAV files for the wave voice: read and converted to the device's format by SDL. Kept apart from
// the device so that tarvex-tool can read the game's sounds exactly as the game does.
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <algorithm>
#include <cstring>

namespace platform {

std::vector<Uint8> sdl2::loadWave(const char* path, std::string* reason) {
    std::vector<Uint8> converted;
    auto refuse = [&](const std::string& why) {
        if (reason) *reason = why;
        converted.clear();
    };
    SDL_AudioSpec fileFormat;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path, &fileFormat, &buffer, &length)) {
        refuse(SDL_GetError());
        return converted;
    }
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, fileFormat.format, fileFormat.channels, fileFormat.freq,
                          AUDIO_S16SYS, DEVICE_CHANNELS, SOUND_RATE) >= 0) {
        converted.assign(static_cast<size_t>(length) * std::max(cvt.len_mult, 1), 0);
        std::memcpy(converted.data(), buffer, length);
        cvt.buf = converted.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) == 0) {
            converted.resize(static_cast<size_t>(cvt.len_cvt) / DEVICE_FRAME_BYTES * DEVICE_FRAME_BYTES);
            if (converted.empty()) refuse("no samples");
        } else {
            refuse(std::string("cannot be converted: ") + SDL_GetError());
        }
    } else {
        refuse(std::string("cannot be converted: ") + SDL_GetError());
    }
    SDL_FreeWAV(buffer);
    return converted;
}

bool waveFilePlayable(const char* path, std::string& reason) {
    return !sdl2::loadWave(path, &reason).empty();
}

}  // namespace platform
