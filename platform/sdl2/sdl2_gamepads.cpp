#include "platform/sdl2/sdl2_gamepads.h"

#include <cstdlib>

namespace platform::sdl2 {

namespace {
// A stick or trigger counts as pressed past PRESS and released again below RELEASE, so that a
// value wavering at the threshold does not chatter.
constexpr int PRESS = 16000;
constexpr int RELEASE = 12000;

bool buttonControl(int button, PadControl& control) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: control = PadControl::Left; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: control = PadControl::Right; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: control = PadControl::Up; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: control = PadControl::Down; return true;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: control = PadControl::AimLeft; return true;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: control = PadControl::AimRight; return true;
    case SDL_CONTROLLER_BUTTON_A: control = PadControl::Fire; return true;  // the south button
    case SDL_CONTROLLER_BUTTON_START: control = PadControl::Start; return true;
    case SDL_CONTROLLER_BUTTON_BACK: control = PadControl::Back; return true;
    default: return false;
    }
}
}  // namespace

bool Gamepads::handle(const SDL_Event& event, const Report& report) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        plugIn(event.cdevice.which);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        unplug(event.cdevice.which, report);
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        PadControl control;
        int pad = padOf(event.cbutton.which);
        if (pad >= 0 && buttonControl(event.cbutton.button, control))
            setInput(pad, control, BUTTON, event.type == SDL_CONTROLLERBUTTONDOWN, report);
        return true;
    }
    case SDL_CONTROLLERAXISMOTION:
        if (int pad = padOf(event.caxis.which); pad >= 0) axisMoved(pad, event.caxis.axis, event.caxis.value, report);
        return true;
    default:
        return false;
    }
}

// A new controller takes the lowest free pad number; with both taken it waits, unopened,
// until one is unplugged.
void Gamepads::plugIn(int deviceIndex) {
    if (padOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0) return;  // already ours
    for (Pad& pad : pads_) {
        if (pad.controller) continue;
        pad.controller = SDL_GameControllerOpen(deviceIndex);
        if (!pad.controller) return;
        pad.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad.controller));
        return;
    }
}

void Gamepads::unplug(SDL_JoystickID id, const Report& report) {
    int pad = padOf(id);
    if (pad < 0) return;
    releasePad(pad, report);
    SDL_GameControllerClose(pads_[pad].controller);
    pads_[pad] = Pad{};
    // A controller that waited for a free number gets it now.
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_IsGameController(i) && padOf(SDL_JoystickGetDeviceInstanceID(i)) < 0) {
            plugIn(i);
            break;
        }
}

int Gamepads::padOf(SDL_JoystickID id) const {
    for (int pad = 0; pad < MAX_PADS; ++pad)
        if (pads_[pad].controller && pads_[pad].id == id) return pad;
    return -1;
}

// A control is down while any of its inputs is; only changes are reported.
void Gamepads::setInput(int pad, PadControl control, Input input, bool down, const Report& report) {
    uint8_t& inputs = pads_[pad].inputs[static_cast<int>(control)];
    const bool wasDown = inputs != 0;
    inputs = down ? (inputs | input) : (inputs & ~input);
    if (wasDown != (inputs != 0)) report(pad, control, !wasDown);
}

void Gamepads::axisMoved(int pad, int axis, int value, const Report& report) {
    auto direction = [&](PadControl control, int amount) {
        const bool held = pads_[pad].inputs[static_cast<int>(control)] & AXIS;
        setInput(pad, control, AXIS, amount > PRESS || (held && amount >= RELEASE), report);
    };
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
        direction(PadControl::Left, -value);
        direction(PadControl::Right, value);
        break;
    case SDL_CONTROLLER_AXIS_LEFTY:  // y grows downwards
        direction(PadControl::Up, -value);
        direction(PadControl::Down, value);
        break;
    case SDL_CONTROLLER_AXIS_RIGHTX:
        direction(PadControl::AimLeft, -value);
        direction(PadControl::AimRight, value);
        break;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
        direction(PadControl::Fire, value);
        break;
    default:
        break;
    }
}

void Gamepads::releasePad(int pad, const Report& report) {
    for (int c = 0; c < PAD_CONTROLS; ++c) {
        if (pads_[pad].inputs[c]) report(pad, static_cast<PadControl>(c), false);
        pads_[pad].inputs[c] = 0;
    }
}

void Gamepads::releaseAll(const Report& report) {
    for (int pad = 0; pad < MAX_PADS; ++pad) releasePad(pad, report);
}

void Gamepads::closeAll() {
    for (Pad& pad : pads_) {
        if (pad.controller) SDL_GameControllerClose(pad.controller);
        pad = Pad{};
    }
}

}  // namespace platform::sdl2
