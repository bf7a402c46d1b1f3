// Gamepads over XInput, read once per frame tick: pads plugged in and out while the program runs,
// and each pad's buttons, sticks and right trigger folded into the switches of PadControl.
#pragma once

#include "platform/pad_switches.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

#include <xinput.h>

#include <functional>

namespace platform {
class MessageLoop;
}

namespace platform::win32 {

// Reads one of XInput's four slots (XInputGetState). Loaded from the system's XInput library on
// the first poll and left null where there is none (no pads then, the keys still work); a test
// puts its own reader here first.
using PadReader = DWORD(WINAPI*)(DWORD slot, XINPUT_STATE* state);
extern PadReader padReader;

class Gamepads {
public:
    using Report = std::function<void(int pad, PadControl control, bool down)>;
    // Reading an empty slot is slow on some systems, so the empty ones are looked at only every
    // SCAN_POLLS polls (half a second at one poll per frame tick).
    static constexpr int SCAN_POLLS = 50;

    // Reads the pads once. A pad plugged in takes the lowest free pad number (a third waits until
    // one is free); an unplugged one switches its controls off. Without the focus every control
    // is switched off and the pads are not read, as the keys then go to another program.
    void poll(bool focused, const Report& report);

private:
    void readPad(int pad, const XINPUT_GAMEPAD& state, const Report& report);
    void lookForPads(PadReader read, const Report& report);
    int padOf(int slot) const;  // the pad number a slot holds (slot -1: the lowest free one), or -1

    int slotOf_[MAX_PADS] = {-1, -1};  // the XInput slot that holds each pad number, or -1
    int pollsToScan_ = 0;
    PadSwitches switches_;
};

// The message loop's call once per frame tick, before the frame: the pads' changes reach the loop,
// which hands them to the window procedure under the pad tap rule.
void pollGamepads(MessageLoop& loop);

}  // namespace platform::win32
