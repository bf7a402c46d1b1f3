// XInput pads through a reader that stands in for XInputGetState: pads plugged in and out while
// the game runs, buttons, sticks and the trigger around their thresholds, and the frame tick that
// reads them.
#include "platform/platform.h"
#include "platform/win32/win32_gamepads.h"
#include "platform/win32/win32_internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::PadControl;
using platform::win32::Gamepads;

// XInput's four slots as the test sets them.
bool slotConnected[XUSER_MAX_COUNT];
XINPUT_GAMEPAD slotState[XUSER_MAX_COUNT];

DWORD WINAPI readSlot(DWORD slot, XINPUT_STATE* state) {
    if (slot >= XUSER_MAX_COUNT || !slotConnected[slot]) return ERROR_DEVICE_NOT_CONNECTED;
    state->Gamepad = slotState[slot];
    return ERROR_SUCCESS;
}

void plug(int slot, XINPUT_GAMEPAD state) {
    slotConnected[slot] = true;
    slotState[slot] = state;
}

std::string padReport(int pad, PadControl control, bool down) {
    static const char* const ControlNames[] = {"left", "right", "up", "down", "aim-left",
                                               "aim-right", "fire", "start", "back"};
    return std::to_string(pad) + " " + ControlNames[static_cast<int>(control)] + (down ? " down" : " up");
}

class XInputPads : public testing::Test {
protected:
    void SetUp() override {
        platform::win32::padReader = readSlot;
        for (bool& connected : slotConnected) connected = false;
    }
    void TearDown() override { platform::win32::padReader = nullptr; }

    // What polls reported, joined with ", ".
    std::string poll(bool focused = true, int times = 1) {
        std::string seen;
        for (int i = 0; i < times; ++i)
            pads.poll(focused, [&seen](int pad, PadControl control, bool down) {
                seen += (seen.empty() ? "" : ", ") + padReport(pad, control, down);
            });
        return seen;
    }

    Gamepads pads;
};

TEST_F(XInputPads, PadsTakeTheLowestFreeNumberAndLetGoWhenUnpluggedOrUnfocused) {
    plug(2, {XINPUT_GAMEPAD_A, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(poll(), "0 fire down");  // the first poll looks at every slot
    plug(0, {XINPUT_GAMEPAD_START, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(poll(), "");  // empty slots are looked at again only after a while
    EXPECT_EQ(poll(true, Gamepads::SCAN_POLLS), "1 start down");
    plug(3, {XINPUT_GAMEPAD_BACK, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(poll(true, Gamepads::SCAN_POLLS), "");  // a third pad waits for a free number
    slotConnected[2] = false;                          // pad 0 unplugged mid-match
    EXPECT_EQ(poll(), "0 fire up, 0 back down");
    EXPECT_EQ(poll(false), "0 back up, 1 start up");
    EXPECT_EQ(poll(false), "");
    EXPECT_EQ(poll(), "0 back down, 1 start down");
}

TEST_F(XInputPads, ButtonsSticksAndTriggerSwitchControlsPastTheirThresholds) {
    struct Step {
        XINPUT_GAMEPAD state;  // buttons, left trigger, right trigger, left x, left y, right x, right y
        const char* reports;
    } steps[] = {
        {{0, 0, 0, -16001, 0, 0, 0}, "0 left down"},
        {{0, 0, 0, -12000, 0, 0, 0}, ""},  // held until below the release point
        {{0, 0, 0, -11999, 0, 0, 0}, "0 left up"},
        {{0, 0, 0, -16000, 0, 0, 0}, ""},  // not past the press point
        {{0, 0, 0, 0, 20000, 0, 0}, "0 up down"},  // XInput's y grows upwards
        {{0, 0, 0, 0, -20000, 0, 0}, "0 up up, 0 down down"},
        {{XINPUT_GAMEPAD_DPAD_DOWN, 0, 0, 0, 0, 0, 0}, ""},  // the D-pad holds what the stick let go
        {{0, 0, 0, 0, 0, 0, 0}, "0 down up"},
        {{0, 0, 0, 32767, 0, -32768, 32767}, "0 right down, 0 aim-left down"},  // right y: nothing
        {{0, 0, 125, 0, 0, 0, 0}, "0 right up, 0 aim-left up, 0 fire down"},
        {{XINPUT_GAMEPAD_A, 255, 93, 0, 0, 0, 0}, ""},  // the south button holds fire; left trigger: nothing
        {{0, 0, 93, 0, 0, 0, 0}, "0 fire up"},
        {{XINPUT_GAMEPAD_LEFT_SHOULDER | XINPUT_GAMEPAD_RIGHT_SHOULDER | XINPUT_GAMEPAD_DPAD_LEFT |
              XINPUT_GAMEPAD_DPAD_RIGHT | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_X |
              XINPUT_GAMEPAD_Y | XINPUT_GAMEPAD_LEFT_THUMB,
          0, 0, 0, 0, 0, 0},
         "0 left down, 0 right down, 0 up down, 0 aim-left down, 0 aim-right down"},
    };
    plug(1, {});
    EXPECT_EQ(poll(), "");
    for (const Step& step : steps) {
        slotState[1] = step.state;
        EXPECT_EQ(poll(), step.reports) << "after " << (&step - steps) << " steps";
    }
}

class PadEvents final : public platform::WindowEvents {
public:
    void keyDown(int) override {}
    void keyUp(int) override {}
    void padControl(int pad, PadControl control, bool down) override { seen.push_back(padReport(pad, control, down)); }
    void resized(int, int) override {}
    void activated(bool) override {}
    void closeRequested() override {}
    void frameTick() override { seen.push_back("tick"); }
    std::vector<std::string> seen;
};

TEST_F(XInputPads, TheFrameTickReadsThePadsBeforeTheFrame) {
    PadEvents events;
    platform::attachWindowEvents(&events);
    plug(0, {XINPUT_GAMEPAD_START, 0, 0, 0, 0, 0, 0});
    for (int tick = 0; tick <= Gamepads::SCAN_POLLS && events.seen.size() < 2; ++tick) {
        events.seen.clear();
        Sleep(11);
        platform::win32::windowProcedure(nullptr, WM_TIMER, 9999, 0);
    }
    platform::attachWindowEvents(nullptr);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"0 start down", "tick"}));
}

}  // namespace
