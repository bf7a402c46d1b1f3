// A gamepad's physical inputs folded into the switches of PadControl: a control is down while any
// input that drives it is (a D-pad button and the left stick both hold Left, the south button and
// the right trigger both hold Fire), and only changes are reported. Sticks and triggers switch
// with hysteresis. Plain C++ over the backends' own readings.
#pragma once

#include "platform/platform.h"

#include <cstdint>

namespace platform {

class PadSwitches {
public:
    // A stick or trigger, scaled to 0..32767 in the control's direction, counts as pressed past
    // PRESS and released again below RELEASE, so that a value wavering at the threshold does not
    // chatter.
    static constexpr int PRESS = 16000;
    static constexpr int RELEASE = 12000;
    enum Input : uint8_t { BUTTON = 1, AXIS = 2 };

    // Sets one input of a control; report(pad, control, down) when the control changes.
    template <typename Report>
    void set(int pad, PadControl control, Input input, bool down, const Report& report) {
        uint8_t& inputs = inputs_[pad][static_cast<int>(control)];
        const bool wasDown = inputs != 0;
        inputs = down ? (inputs | input) : (inputs & ~input);
        if (wasDown != (inputs != 0)) report(pad, control, !wasDown);
    }

    // A stick or trigger direction; amount is negative or small when the input points elsewhere.
    template <typename Report>
    void axis(int pad, PadControl control, int amount, const Report& report) {
        const bool held = inputs_[pad][static_cast<int>(control)] & AXIS;
        set(pad, control, AXIS, amount > PRESS || (held && amount >= RELEASE), report);
    }

    // Switches every held control of the pad off.
    template <typename Report>
    void release(int pad, const Report& report) {
        for (int c = 0; c < PAD_CONTROLS; ++c) {
            if (inputs_[pad][c]) report(pad, static_cast<PadControl>(c), false);
            inputs_[pad][c] = 0;
        }
    }

private:
    uint8_t inputs_[MAX_PADS][PAD_CONTROLS] = {};  // Input bits that hold each control down
};

}  // namespace platform
