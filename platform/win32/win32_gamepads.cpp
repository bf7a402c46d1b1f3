#include "platform/win32/win32_gamepads.h"

#include "platform/message_loop.h"

#include <initializer_list>

namespace platform::win32 {

PadReader padReader = nullptr;

namespace {
struct ButtonControl {
    WORD mask;
    PadControl control;
};
constexpr ButtonControl ButtonControls[] = {
    {XINPUT_GAMEPAD_DPAD_LEFT, PadControl::Left},
    {XINPUT_GAMEPAD_DPAD_RIGHT, PadControl::Right},
    {XINPUT_GAMEPAD_DPAD_UP, PadControl::Up},
    {XINPUT_GAMEPAD_DPAD_DOWN, PadControl::Down},
    {XINPUT_GAMEPAD_LEFT_SHOULDER, PadControl::AimLeft},
    {XINPUT_GAMEPAD_RIGHT_SHOULDER, PadControl::AimRight},
    {XINPUT_GAMEPAD_A, PadControl::Fire},  // the south button
    {XINPUT_GAMEPAD_START, PadControl::Start},
    {XINPUT_GAMEPAD_BACK, PadControl::Back},
};

// Loaded at run time, so that the game starts where no XInput library is installed.
PadReader loadXInput() {
    for (const char* name : {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"}) {
        HMODULE library = LoadLibraryA(name);
        if (!library) continue;
        if (void* read = reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")))
            return reinterpret_cast<PadReader>(read);
        FreeLibrary(library);
    }
    return nullptr;
}

PadReader reader() {
    static bool looked = false;
    if (!padReader && !looked) padReader = loadXInput();
    looked = true;
    return padReader;
}
}  // namespace

void Gamepads::poll(bool focused, const Report& report) {
    if (!focused) {
        for (int pad = 0; pad < MAX_PADS; ++pad) switches_.release(pad, report);
        return;
    }
    PadReader read = reader();
    if (!read) return;
    for (int pad = 0; pad < MAX_PADS; ++pad) {
        if (slotOf_[pad] < 0) continue;
        XINPUT_STATE state{};
        if (read(static_cast<DWORD>(slotOf_[pad]), &state) == ERROR_SUCCESS) {
            readPad(pad, state.Gamepad, report);
        } else {  // unplugged: a pad that waited for a free number gets it at once
            switches_.release(pad, report);
            slotOf_[pad] = -1;
            pollsToScan_ = 0;
        }
    }
    if (--pollsToScan_ <= 0) {
        lookForPads(read, report);
        pollsToScan_ = SCAN_POLLS;
    }
}

void Gamepads::lookForPads(PadReader read, const Report& report) {
    for (int slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
        if (padOf(slot) >= 0) continue;
        const int freePad = padOf(-1);
        if (freePad < 0) return;
        XINPUT_STATE state{};
        if (read(static_cast<DWORD>(slot), &state) != ERROR_SUCCESS) continue;
        slotOf_[freePad] = slot;
        readPad(freePad, state.Gamepad, report);
    }
}

int Gamepads::padOf(int slot) const {
    for (int pad = 0; pad < MAX_PADS; ++pad)
        if (slotOf_[pad] == slot) return pad;
    return -1;
}

void Gamepads::readPad(int pad, const XINPUT_GAMEPAD& state, const Report& report) {
    for (const ButtonControl& button : ButtonControls)
        switches_.set(pad, button.control, PadSwitches::BUTTON, (state.wButtons & button.mask) != 0, report);
    // XInput's y grows upwards; ~y (-y - 1) grows downwards over the same range, as other
    // systems report the stick.
    const int x = state.sThumbLX, y = ~state.sThumbLY, aim = state.sThumbRX;
    switches_.axis(pad, PadControl::Left, -x, report);
    switches_.axis(pad, PadControl::Right, x, report);
    switches_.axis(pad, PadControl::Up, -y, report);
    switches_.axis(pad, PadControl::Down, y, report);
    switches_.axis(pad, PadControl::AimLeft, -aim, report);
    switches_.axis(pad, PadControl::AimRight, aim, report);
    switches_.axis(pad, PadControl::Fire, state.bRightTrigger * 257 / 2, report);  // 0..255 to 0..32767
}

// Without a window (the window procedure's tests) the pads are read as if it had the focus.
void pollGamepads(MessageLoop& loop) {
    static Gamepads pads;
    HWND own = window();
    pads.poll(!own || GetForegroundWindow() == own,
              [&loop](int pad, PadControl control, bool down) { loop.padControl(pad, control, down); });
}

}  // namespace platform::win32
