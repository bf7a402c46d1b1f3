// State that the SDL2 backend's files share: the one window, and subsystem start-up.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

namespace platform::sdl2 {

// Starts an SDL subsystem once (video, audio, events); false when it is not available.
bool ensureSubsystem(Uint32 flags);
SDL_Window* window();  // the program's window, or null
// Starts or stops SDL's text input as startTextInput and stopTextInput last asked (stopped until
// then): SDL starts it by itself with video.
void applyTextInput();

// The sound device's format: signed 16-bit stereo at SOUND_RATE.
constexpr int DEVICE_CHANNELS = 2;
constexpr int DEVICE_FRAME_BYTES = DEVICE_CHANNELS * 2;

// Reads a WAV file through the file door (at most 16 MiB) converted to the device format (at most
// 64 MiB; needs no open device); empty when it cannot be read or converted or holds no whole
// frame, and then reason (when given) says why. Never throws.
std::vector<Uint8> loadWave(const char* path, std::string* reason = nullptr);

}  // namespace platform::sdl2
