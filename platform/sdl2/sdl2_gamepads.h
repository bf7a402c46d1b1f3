// Gamepads over SDL's game controller interface: plugging in and out while the program runs,
// and each pad's buttons, sticks and triggers folded into the switches of PadControl.
#pragma once

#include "platform/platform.h"

#include <SDL.h>

#include <cstdint>
#include <functional>

namespace platform::sdl2 {

class Gamepads {
public:
    using Report = std::function<void(int pad, PadControl control, bool down)>;

    // Handles the controller events among SDL's events; false for any other event.
    bool handle(const SDL_Event& event, const Report& report);
    // Switches every control of every pad off (the window lost the keyboard focus).
    void releaseAll(const Report& report);
    void closeAll();

private:
    // One physical input that drives a control: a button or a stick or trigger direction.
    enum Input : uint8_t { BUTTON = 1, AXIS = 2 };
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID id = -1;
        uint8_t inputs[PAD_CONTROLS] = {};  // Input bits that hold each control down
    };

    void plugIn(int deviceIndex);
    void unplug(SDL_JoystickID id, const Report& report);
    int padOf(SDL_JoystickID id) const;
    void setInput(int pad, PadControl control, Input input, bool down, const Report& report);
    void axisMoved(int pad, int axis, int value, const Report& report);
    void releasePad(int pad, const Report& report);

    Pad pads_[MAX_PADS];
};

}  // namespace platform::sdl2
