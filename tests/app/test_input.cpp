// Pads, player 2's laptop keys and the keyboard together in KeyState. The pads are SDL's virtual
// game controllers, read through the real message loop.
#include "app/app.h"
#include "game/game.h"
#include "game/input_sources.h"
#include "platform/keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using platform::PadControl;

// Runs the message loop for a few frame ticks, handing keys and pads to the window procedure.
void runTicks(ShellWindow& shell) {
    struct Pump final : platform::WindowEvents {
        explicit Pump(ShellWindow& s) : shell(s) {}
        ShellWindow& shell;
        int ticks = 0;
        void keyDown(int key) override { shell.keyDown(key); }
        void keyUp(int key) override { shell.keyUp(key); }
        void padControl(int pad, PadControl control, bool down) override { shell.padControl(pad, control, down); }
        void resized(int, int) override {}
        void activated(bool) override {}
        void closeRequested() override {}
        void frameTick() override {
            if (++ticks == 3) platform::postQuit(0);
        }
    } pump(shell);
    platform::runMessageLoop(pump);
}

class VirtualPad {
public:
    VirtualPad() {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
        joystick_ = SDL_JoystickOpen(index);
        set(-1, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
    }
    ~VirtualPad() { unplug(); }
    void set(int button, int axis, int value) {
        if (button >= 0) SDL_JoystickSetVirtualButton(joystick_, button, value != 0);
        // A virtual trigger's raw range -32768..32767 stands for 0..32767.
        if (axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) value = value * 2 - 32768;
        if (axis >= 0) SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(std::clamp(value, -32768, 32767)));
    }
    void unplug() {
        if (!joystick_) return;
        SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }

private:
    SDL_Joystick* joystick_ = nullptr;
};

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(KeyState, 0, sizeof KeyState);
        releaseAllKeys();
        game.matchRunning = false;
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");  // no window has the focus here
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    }
    void TearDown() override {
        runTicks(shell);  // the loop sees the test's pads go
        std::memset(KeyState, 0, sizeof KeyState);
        releaseAllKeys();
    }
    ShellWindow shell;
};

TEST_F(Input, EveryPadControlHoldsItsPlayersKey) {
    struct Case { int button, axis, value, key; };
    const int A = vk::letter('A'), D = vk::letter('D'), W = vk::letter('W'), S = vk::letter('S');
    const int Q = vk::letter('Q'), E = vk::letter('E'), X = vk::letter('X');
    const Case cases[] = {
        {SDL_CONTROLLER_BUTTON_A, -1, 1, X},  {-1, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767, X},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, -1, 1, A}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, -1, 1, D},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, -1, 1, W},   {SDL_CONTROLLER_BUTTON_DPAD_DOWN, -1, 1, S},
        {-1, SDL_CONTROLLER_AXIS_LEFTX, -32768, A},  {-1, SDL_CONTROLLER_AXIS_LEFTX, 30000, D},
        {-1, SDL_CONTROLLER_AXIS_LEFTY, -30000, W},  {-1, SDL_CONTROLLER_AXIS_LEFTY, 30000, S},
        {-1, SDL_CONTROLLER_AXIS_RIGHTX, -30000, Q}, {-1, SDL_CONTROLLER_AXIS_RIGHTX, 30000, E},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, -1, 1, Q}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, -1, 1, E},
        {SDL_CONTROLLER_BUTTON_START, -1, 1, vk::F1}, {SDL_CONTROLLER_BUTTON_BACK, -1, 1, vk::ESCAPE},
        {-1, SDL_CONTROLLER_AXIS_LEFTX, 10000, 0},  // inside the dead zone
    };
    VirtualPad pad;
    runTicks(shell);
    for (const Case& c : cases) {
        pad.set(c.button, c.axis, c.value);
        runTicks(shell);
        for (int key = 1; key < 256; ++key)
            EXPECT_EQ(KeyState[key], key == c.key) << "button " << c.button << " axis " << c.axis << " key " << key;
        pad.set(c.button, c.axis, 0);
        runTicks(shell);
        EXPECT_EQ(KeyState[c.key ? c.key : 1], 0) << "button " << c.button << " axis " << c.axis;
    }
    // Start pauses a running match instead.
    game.matchRunning = true;
    EXPECT_EQ(padKey(0, PadControl::Start), vk::PAUSE);
}

TEST_F(Input, SourcesHoldAKeyTogetherAndPadsComeAndGo) {
    const int forward0 = vk::letter('W');
    VirtualPad first;
    runTicks(shell);
    // Stick and D-pad, then keyboard and pad: a key stays down until its last source lets go.
    first.set(-1, SDL_CONTROLLER_AXIS_LEFTY, -30000);
    first.set(SDL_CONTROLLER_BUTTON_DPAD_UP, -1, 1);
    shell.keyDown(forward0);
    runTicks(shell);
    first.set(-1, SDL_CONTROLLER_AXIS_LEFTY, -14000);  // between the two thresholds: still held
    runTicks(shell);
    EXPECT_EQ(KeyState[forward0], 1);
    first.set(-1, SDL_CONTROLLER_AXIS_LEFTY, 0);
    first.set(SDL_CONTROLLER_BUTTON_DPAD_UP, -1, 0);
    runTicks(shell);
    EXPECT_EQ(KeyState[forward0], 1);  // the keyboard still holds it
    shell.keyDown(forward0);           // auto-repeat
    shell.keyUp(forward0);
    EXPECT_EQ(KeyState[forward0], 0);

    // The second pad drives player 2; unplugged, it lets go of what it held.
    VirtualPad second;
    runTicks(shell);
    second.set(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, -1, 1);
    second.set(SDL_CONTROLLER_BUTTON_DPAD_UP, -1, 1);
    shell.keyDown(vk::numpad(8));
    runTicks(shell);
    EXPECT_EQ(KeyState[vk::numpad(9)], 1);
    second.unplug();
    runTicks(shell);
    EXPECT_EQ(KeyState[vk::numpad(9)], 0);
    EXPECT_EQ(KeyState[vk::numpad(8)], 1);  // still held on the keypad
    shell.keyUp(vk::numpad(8));
    // A pad plugged in again takes the free second place.
    VirtualPad third;
    runTicks(shell);
    third.set(SDL_CONTROLLER_BUTTON_A, -1, 1);
    runTicks(shell);
    EXPECT_EQ(KeyState[vk::numpad(2)], 1);
    EXPECT_EQ(KeyState[vk::letter('X')], 0);
}

TEST_F(Input, LaptopKeysStandForPlayerTwosKeypadKeys) {
    const int pairs[][2] = {{vk::UP, vk::numpad(8)},         {vk::DOWN, vk::numpad(5)},
                            {vk::LEFT, vk::numpad(4)},       {vk::RIGHT, vk::numpad(6)},
                            {vk::OEM_PERIOD, vk::numpad(7)}, {vk::OEM_2, vk::numpad(9)},
                            {vk::RCONTROL, vk::numpad(2)}};
    for (const auto& [laptop, keypad] : pairs) {
        shell.keyDown(laptop);
        EXPECT_EQ(KeyState[laptop], 1);
        EXPECT_EQ(KeyState[keypad], 1) << laptop;
        shell.keyDown(keypad);
        shell.keyUp(laptop);
        EXPECT_EQ(KeyState[laptop], 0);
        EXPECT_EQ(KeyState[keypad], 1) << laptop;
        shell.keyUp(keypad);
        EXPECT_EQ(KeyState[keypad], 0) << laptop;
    }
}

TEST(SwapWatch, SpeaksOnceWhenMostSwapsOfARunTakeLongerThanAFrame) {
    struct Case { int slowSwaps; int fastSwaps; int saidAt; };  // saidAt: 0 for never
    const Case cases[] = {{0, 300, 0}, {50, 50, 0}, {51, 49, 100}, {300, 0, 100}, {10, 190, 0}};
    for (const Case& c : cases) {
        SwapWatch watch;
        int saidAt = 0, said = 0;
        for (int i = 1; i <= c.slowSwaps + c.fastSwaps; ++i)
            if (watch.swapTook(i <= c.slowSwaps ? 17.0 : 2.0)) saidAt = i, ++said;
        EXPECT_EQ(saidAt, c.saidAt) << c.slowSwaps << " slow";
        EXPECT_LE(said, 1);
    }
}

}  // namespace
