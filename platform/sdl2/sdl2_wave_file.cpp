// WAV files for the wave voice: read through the file door and converted to the device's format
// by SDL. Kept apart from the device so that tarvex-tool can read the game's sounds exactly as
// the game does.
#include "platform/file_read.h"
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace platform {

using sdl2::DEVICE_CHANNELS;
using sdl2::DEVICE_FRAME_BYTES;

namespace {

using sdl2::DEVICE_CHANNELS;
using sdl2::DEVICE_FRAME_BYTES;

// Sound effects are short: a file above this is not one, and its samples converted to the
// device format (up to 96 times the file's size) must stay within the second limit.
constexpr uint64_t LARGEST_WAVE_FILE = uint64_t(16) << 20;
constexpr uint64_t LARGEST_CONVERTED_WAVE = uint64_t(64) << 20;  // about six minutes

struct WavFreer {
    void operator()(Uint8* buffer) const { SDL_FreeWAV(buffer); }
};

std::vector<Uint8> convertWave(const char* path, std::string& why) {
    const UserFile file = readUserFile(path, LARGEST_WAVE_FILE);
    if (file.problem != FileProblem::None) {
        why = fileProblemText(file.problem);
        return {};
    }
    SDL_RWops* source = SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size()));
    SDL_AudioSpec fileFormat;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!source || !SDL_LoadWAV_RW(source, 1, &fileFormat, &buffer, &length)) {
        why = SDL_GetError();
        return {};
    }
    const std::unique_ptr<Uint8, WavFreer> wav(buffer);
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, fileFormat.format, fileFormat.channels, fileFormat.freq,
                          AUDIO_S16SYS, DEVICE_CHANNELS, SOUND_RATE) < 0) {
        why = std::string("cannot be converted: ") + SDL_GetError();
        return {};
    }
    const uint64_t room = uint64_t(length) * uint64_t(std::max(cvt.len_mult, 1));
    if (room > LARGEST_CONVERTED_WAVE) {
        why = "is too long for a sound effect";
        return {};
    }
    std::vector<Uint8> converted(static_cast<size_t>(room));
    std::memcpy(converted.data(), buffer, length);
    cvt.buf = converted.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) != 0) {
        why = std::string("cannot be converted: ") + SDL_GetError();
        return {};
    }
    converted.resize(static_cast<size_t>(cvt.len_cvt) / DEVICE_FRAME_BYTES * DEVICE_FRAME_BYTES);
    converted.shrink_to_fit();
    if (converted.empty()) why = "no samples";
    return converted;
}

}  // namespace

std::vector<Uint8> sdl2::loadWave(const char* path, std::string* reason) {
    std::string why;
    std::vector<Uint8> converted;
    try {
        converted = convertWave(path, why);
    } catch (const std::exception&) {  // out of memory: the sound cannot be played
        if (reason) reason->clear();
        return {};
    }
    if (converted.empty() && reason) *reason = why;
    return converted;
}

bool waveFilePlayable(const char* path, std::string& reason) {
    return !sdl2::loadWave(path, &reason).empty();
}

}  // namespace platform
