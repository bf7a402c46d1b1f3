// State that the SDL2 backend's files share: the one window, and subsystem start-up.
#pragma once

#include <SDL.h>

namespace platform::sdl2 {

// Starts an SDL subsystem once (video, audio, events); false when it is not available.
bool ensureSubsystem(Uint32 flags);
SDL_Window* window();  // the program's window, or null

}  // namespace platform::sdl2
