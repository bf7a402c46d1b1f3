// The Windows backend without a window: the window procedure's messages reach the shell as the
// other backend delivers them (native key codes, taps held until the next tick, system commands
// refused); a DirectSound ring plays, takes writes across its end and outlives a lost buffer and
// a broken device; wave files are read once through the file door and played from memory. The
// ring tests need a sound device and are skipped without one.
#include "platform/platform.h"
#include "platform/frame_tick.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_key_translation.h"

#include <mmsystem.h>
#include <dsound.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
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
    void textTyped(const std::string& text) override { seen.push_back("text " + text); }
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

// Character messages are text only while text is asked for; the two UTF-16 halves of a character
// beyond the BMP are one character, and control characters are keys, not text.
TEST(Win32WindowProcedure, CharactersAreTextOnlyWhileTextIsAskedFor) {
    RecordingEvents events;
    platform::attachWindowEvents(&events);
    windowProcedure(nullptr, WM_CHAR, 'x', 0);
    platform::startTextInput();
    for (WPARAM unit : {WPARAM{'w'}, WPARAM{0xe9}, WPARAM{0xd83d}, WPARAM{0xde00}, WPARAM{VK_RETURN}, WPARAM{0x1b}})
        EXPECT_EQ(windowProcedure(nullptr, WM_CHAR, unit, 0), 0);
    platform::stopTextInput();
    windowProcedure(nullptr, WM_CHAR, 'y', 0);
    platform::attachWindowEvents(nullptr);
    const std::vector<std::string> expected{"text w", "text \xc3\xa9", "text \xf0\x9f\x98\x80"};
    EXPECT_EQ(events.seen, expected);
}

// What a real window's message loop delivers as key-downs and text within a few frames.
std::vector<std::string> typedInWindow() {
    struct Typing final : platform::WindowEvents {
        std::vector<std::string> seen;
        int ticks = 0;
        void keyDown(int code) override { seen.push_back("down " + std::to_string(code)); }
        void keyUp(int) override {}
        void textTyped(const std::string& text) override { seen.push_back("text " + text); }
        void resized(int, int) override {}
        void activated(bool) override {}
        void closeRequested() override {}
        void frameTick() override {
            if (++ticks == 3) platform::postQuit(0);
        }
    } typing;
    platform::runMessageLoop(typing);
    return typing.seen;
}

// Through a real window and its message loop: a key message becomes a character only while text
// is asked for, and a character beyond the code page arrives whole (the window is a Unicode one).
TEST(Win32Window, KeysBecomeTextThroughTheMessageLoopWhileAskedFor) {
    using Seen = std::vector<std::string>;
    if (!platform::createWindow("typing", 64, 64, false)) GTEST_SKIP() << "no window can be made";
    HWND window = platform::win32::window();
    constexpr LPARAM W_DOWN = 0x00110001, W_UP = 0xC0110001;  // the W key's scan code, once
    platform::startTextInput();
    PostMessageW(window, WM_KEYDOWN, 'W', W_DOWN);
    PostMessageW(window, WM_KEYUP, 'W', W_UP);
    EXPECT_EQ(typedInWindow(), (Seen{"down 87", "text w"}));
    for (WPARAM unit : {WPARAM{0x416}, WPARAM{0xd83d}, WPARAM{0xde00}}) PostMessageW(window, WM_CHAR, unit, 1);
    EXPECT_EQ(typedInWindow(), (Seen{"text \xd0\x96", "text \xf0\x9f\x98\x80"}));  // Cyrillic Zhe, a smiley
    platform::stopTextInput();
    PostMessageW(window, WM_KEYDOWN, 'W', W_DOWN);
    PostMessageW(window, WM_KEYUP, 'W', W_UP);
    EXPECT_EQ(typedInWindow(), (Seen{"down 87"}));
    platform::destroyWindow();
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

// The cursor reader's seam: a buffer reported lost a number of times, then every buffer failing
// (no device works), then only the first buffer failing (a new device would work).
std::atomic<int> lostReports{0};
std::atomic<bool> everyBufferFails{false};
std::atomic<IDirectSoundBuffer*> brokenBuffer{nullptr};
std::atomic<IDirectSoundBuffer*> lastBuffer{nullptr};
std::atomic<int> workingReads{0};

HRESULT faultyCursor(IDirectSoundBuffer* buffer, DWORD* play) {
    lastBuffer = buffer;
    if (lostReports > 0) {
        --lostReports;
        return DSERR_BUFFERLOST;
    }
    if (everyBufferFails || buffer == brokenBuffer) return DSERR_NODRIVER;
    ++workingReads;
    return platform::win32::devicePlayCursor(buffer, play);
}

// Whether the ring's cursor moves within two seconds.
bool cursorMoves(platform::SoundRing& ring) {
    const uint32_t start = ring.playPosition();
    for (int wait = 0; wait < 40; ++wait) {
        Sleep(50);
        if (ring.playPosition() != start) return true;
    }
    return false;
}

TEST(Win32Sound, ALostBufferIsRestoredAndABrokenDeviceReplacedWhileTheCursorMovesOn) {
    std::unique_ptr<platform::SoundRing> ring = platform::openSoundRing(false);
    if (!ring) GTEST_SKIP() << "no sound device";
    platform::win32::readPlayCursor = faultyCursor;
    lostReports = 1;
    ring->playPosition();
    IDirectSoundBuffer* const first = lastBuffer;
    EXPECT_TRUE(cursorMoves(*ring)) << "a restored buffer does not play";
    EXPECT_EQ(lastBuffer.load(), first) << "a lost buffer is restored, not replaced";

    everyBufferFails = true;
    brokenBuffer = first;
    EXPECT_TRUE(cursorMoves(*ring)) << "without a device the cursor stands still";
    const std::vector<uint8_t> block(1000, 200);
    EXPECT_TRUE(ring->write(32000, block.data(), 1000));

    workingReads = 0;
    everyBufferFails = false;  // a device can be had again; the first buffer stays broken
    for (int wait = 0; wait < 60 && workingReads == 0; ++wait) {  // as the ring's writer polls
        Sleep(50);
        ring->playPosition();
    }
    EXPECT_GT(workingReads.load(), 0) << "no new device was opened";
    EXPECT_NE(lastBuffer.load(), first);
    EXPECT_TRUE(cursorMoves(*ring));
    EXPECT_TRUE(ring->write(0, block.data(), 1000));
    ring.reset();
    platform::win32::readPlayCursor = platform::win32::devicePlayCursor;
}

// A sound effect of 8-bit mono samples; without its data chunk when samples is 0.
std::string waveFile(uint32_t samples) {
    auto word = [](uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i));
        return out;
    };
    std::string format = "fmt " + word(16, 4) + word(1, 2) + word(1, 2) + word(11025, 4) + word(11025, 4) +
                         word(1, 2) + word(8, 2);
    std::string data = samples ? "data" + word(samples, 4) + std::string(samples, char(128)) : "";
    return "RIFF" + word(uint32_t(4 + format.size() + data.size()), 4) + "WAVE" + format + data;
}

std::string temporaryPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "tarvex_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

TEST(Win32Waves, EachFileIsReadOnceThroughTheFileDoorAndPlayedFromMemory) {
    struct Case {
        const char* name;
        const char* content;  // null: a folder; "missing": no file at all
        std::string bytes;
        const char* reason;   // empty when the file plays
    } cases[] = {
        {"shot.wav", "", waveFile(2000), ""},
        {"folder.wav", nullptr, "", "is a folder, not a file"},
        {"missing.wav", "missing", "", "cannot be opened"},
        {"empty.wav", "", "", "is empty"},
        {"text.wav", "", "not a sound at all", "is not a WAV file"},
        {"silent.wav", "", waveFile(0), "has no samples"},
    };
    for (const Case& c : cases) {
        const std::string path = temporaryPath(c.name);
        if (!c.content) {
            CreateDirectoryA(path.c_str(), nullptr);
        } else if (std::string(c.content) != "missing") {
            std::FILE* file = std::fopen(path.c_str(), "wb");
            ASSERT_NE(file, nullptr);
            std::fwrite(c.bytes.data(), 1, c.bytes.size(), file);
            std::fclose(file);
        }
        std::string reason = "stale";
        EXPECT_EQ(platform::waveFilePlayable(path.c_str(), reason), !*c.reason) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        EXPECT_EQ(platform::playWave(path.c_str(), platform::WAVE_ASYNC), !*c.reason) << c.name;
        if (!c.content) {
            RemoveDirectoryA(path.c_str());
        } else {
            std::remove(path.c_str());
        }
    }
    // The sound effect was kept: it plays without its file.
    EXPECT_TRUE(platform::playWave(temporaryPath("shot.wav").c_str(), platform::WAVE_ASYNC));
    EXPECT_TRUE(platform::playWave(nullptr, 0));
}

}  // namespace
