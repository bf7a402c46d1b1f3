// The Windows backend without a window: the window procedure's messages reach the shell as the
// other backend delivers them (native key codes, taps held until the next tick, system commands
// refused), and a DirectSound ring plays and takes writes across its end. The ring test needs
// a sound device and is skipped without one.
#include "platform/platform.h"
#include "platform/frame_tick.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_key_translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::win32::FRAME_TIMER_ID;
using platform::win32::virtualKeyFor;
using platform::win32::windowProcedure;

constexpr LPARAM EXTENDED = 1L << 24;

class RecordingEvents final : public platform::WindowEvents {
public:
    void keyDown(int code) override { seen.push_back("down " + std::to_string(code)); }
    void keyUp(int code) override { seen.push_back("up " + std::to_string(code)); }
    void systemKeyDown(int code) override { seen.push_back("system " + std::to_string(code)); }
    void resized(int width, int height) override {
        seen.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
    }
    void activated(bool minimised) override { seen.push_back(minimised ? "minimised" : "active"); }
    void closeRequested() override { seen.push_back("close"); }
    void frameTick() override { seen.push_back("tick"); }
    std::vector<std::string> seen;
};

TEST(Win32Keys, NativeCodesWithKeypadDigitsWhetherOrNotNumLockIsOn) {
    struct Case {
        WPARAM key;
        LPARAM flags;
        int code;
    } cases[] = {
        {'A', 0, 'A'}, {'7', 0, '7'}, {VK_F1, 0, VK_F1}, {VK_ESCAPE, 0, VK_ESCAPE},
        {VK_NUMPAD4, 0, VK_NUMPAD4},
        // Num Lock off: the keypad reports navigation keys without the extended bit.
        {VK_HOME, 0, VK_NUMPAD7}, {VK_UP, 0, VK_NUMPAD8}, {VK_CLEAR, 0, VK_NUMPAD5},
        {VK_DOWN, 0, VK_NUMPAD2}, {VK_INSERT, 0, VK_NUMPAD0}, {VK_DELETE, 0, VK_DECIMAL},
        // The arrow block has the extended bit and keeps its meaning.
        {VK_UP, EXTENDED, VK_UP}, {VK_HOME, EXTENDED, VK_HOME},
        // The right Ctrl key is a key of its own (player 2's fire key beside the arrows).
        {VK_CONTROL, 0, VK_CONTROL}, {VK_CONTROL, EXTENDED, VK_RCONTROL},
        {0, 0, 0}, {256, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(virtualKeyFor(c.key, c.flags), c.code) << c.key << " " << c.flags;
}

TEST(Win32WindowProcedure, MessagesReachTheShellAndTapsWaitForTheNextTick) {
    RecordingEvents events;
    platform::attachWindowEvents(&events);
    EXPECT_EQ(windowProcedure(nullptr, WM_SIZE, 0, MAKELPARAM(800, 600)), 0);
    windowProcedure(nullptr, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
    windowProcedure(nullptr, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    windowProcedure(nullptr, WM_KEYDOWN, VK_F1, 0);
    windowProcedure(nullptr, WM_KEYUP, VK_F1, 0);  // a tap: held back until a frame saw it
    windowProcedure(nullptr, WM_SYSKEYDOWN, VK_F10, 0);  // a system key, not a key-down
    Sleep(platform::FRAME_PERIOD_MS + 5);
    windowProcedure(nullptr, WM_TIMER, FRAME_TIMER_ID, 0);
    windowProcedure(nullptr, WM_TIMER, FRAME_TIMER_ID, 0);  // within the same period: no second frame
    windowProcedure(nullptr, WM_TIMER, 1234, 0);  // another timer is not a frame
    windowProcedure(nullptr, WM_CLOSE, 0, 0);
    EXPECT_EQ(windowProcedure(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(windowProcedure(nullptr, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    platform::attachWindowEvents(nullptr);
    std::vector<std::string> expected{"size 800x600", "minimised", "active", "down 112",
                                      "system 121", "tick", "up 112", "close"};
    EXPECT_EQ(events.seen, expected);
}

TEST(Win32Sound, RingPlaysAndTakesWritesAcrossItsEnd) {
    std::unique_ptr<platform::SoundRing> ring = platform::openSoundRing(true);
    if (!ring) GTEST_SKIP() << "no sound device";
    uint32_t start = ring->playPosition();
    bool moved = false;
    for (int wait = 0; wait < 40 && !moved; ++wait) {  // the device may take a moment to start
        Sleep(50);
        moved = ring->playPosition() != start;
    }
    EXPECT_TRUE(moved) << "the play cursor does not move";
    EXPECT_LT(ring->playPosition(), platform::SOUND_RING_BYTES);
    std::vector<uint8_t> block(1764, 100);
    EXPECT_TRUE(ring->write(32000, block.data(), 1764));  // 768 bytes at the end, 996 at the start
    EXPECT_FALSE(ring->write(platform::SOUND_RING_BYTES, block.data(), 1));
    EXPECT_FALSE(ring->write(0, nullptr, 1));
}

}  // namespace
