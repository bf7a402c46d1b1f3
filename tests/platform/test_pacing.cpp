// The tap rule, the pacing of the frame tick and the message loop that every windowed backend
// shares, checked without a window.
#include "platform/frame_tick.h"
#include "platform/keys.h"
#include "platform/message_loop.h"
#include "platform/tap_keeper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::FRAME_PERIOD_MICROS;
using platform::FrameTicker;
using platform::MessageLoop;
using platform::PadControl;
using platform::TapKeeper;

TEST(KeyTaps, ATapBetweenTwoTicksIsReleasedOnlyAfterTheNextTick) {
    TapKeeper keeper;
    std::vector<int> released;
    auto release = [&released](int code) { released.push_back(code); };

    keeper.keyDown(vk::F1);
    EXPECT_FALSE(keeper.keyUp(vk::F1));  // held back: no frame has seen F1 yet
    keeper.afterTick(release);
    EXPECT_EQ(released, std::vector<int>{vk::F1});

    // A key held across a tick is released at once.
    released.clear();
    keeper.keyDown(vk::letter('W'));
    keeper.afterTick(release);
    EXPECT_TRUE(keeper.keyUp(vk::letter('W')));
    keeper.afterTick(release);
    EXPECT_TRUE(released.empty());

    // Down, up, down again before a tick: the key is held, nothing is released.
    keeper.keyDown(vk::letter('X'));
    EXPECT_FALSE(keeper.keyUp(vk::letter('X')));
    keeper.keyDown(vk::letter('X'));
    keeper.afterTick(release);
    EXPECT_TRUE(released.empty());
    EXPECT_TRUE(keeper.keyUp(vk::letter('X')));

    // Codes outside KeyState pass straight through.
    EXPECT_TRUE(keeper.keyUp(0));
    EXPECT_TRUE(keeper.keyUp(256));
    keeper.keyDown(-1);
}

TEST(FrameTick, TicksFallOnTheGridOfTheClock) {
    constexpr uint64_t period = FRAME_PERIOD_MICROS;
    FrameTicker ticker(1000, period);  // first tick due one period after the start
    EXPECT_EQ(ticker.microsUntilTick(1000), period);
    EXPECT_FALSE(ticker.takeTick(period + 999));
    EXPECT_TRUE(ticker.takeTick(period + 1000));
    EXPECT_FALSE(ticker.takeTick(period + 1000));
    // A late tick does not shift the grid: the second point was due, so the next is the third.
    EXPECT_TRUE(ticker.takeTick(2 * period + 4000));
    EXPECT_EQ(ticker.nextTick(), 3 * period + 1000);
    EXPECT_EQ(ticker.microsUntilTick(2 * period + 4000), period - 3000);
    EXPECT_EQ(ticker.microsUntilTick(4 * period), 0u);
}

TEST(FrameTick, FallingBehindMergesTicksInsteadOfBursting) {
    constexpr uint64_t period = FRAME_PERIOD_MICROS;
    FrameTicker ticker(0, period);
    // Fifty and a half periods without a chance to tick: one tick, then the next grid point.
    EXPECT_TRUE(ticker.takeTick(50 * period + period / 2));
    EXPECT_FALSE(ticker.takeTick(50 * period + period / 2 + 1));
    EXPECT_FALSE(ticker.takeTick(51 * period - 1));
    EXPECT_TRUE(ticker.takeTick(51 * period));
    // Counting ticks over a steady second polled every millisecond: exactly the frame rate.
    int ticks = 0;
    for (uint64_t t = 51 * period + 1; t <= 51 * period + 1000001; t += 1000) ticks += ticker.takeTick(t);
    EXPECT_EQ(ticks, platform::FRAMES_PER_SECOND);
}

TEST(FrameTick, ZeroPeriodDoesNotHang) {
    FrameTicker ticker(0, 0);
    EXPECT_TRUE(ticker.takeTick(5));
    EXPECT_FALSE(ticker.takeTick(5));
}

// A backend that hands the loop a key tap and a pad tap at once, then only waits; the window
// procedure writes down what reaches it.
struct ScriptedSource final : platform::EventSource {
    std::vector<std::string>& seen;
    bool sent = false;
    explicit ScriptedSource(std::vector<std::string>& s) : seen(s) {}
    bool start() override { return true; }
    void waitAndDispatch(MessageLoop& loop, int timeoutMs) override {
        if (sent) {
            std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
            return;
        }
        sent = true;
        loop.keyDown(vk::F1);
        loop.keyUp(vk::F1);
        loop.keyUp(0);  // a key without a code reaches nobody
        loop.padControl(1, PadControl::Fire, true);
        loop.padControl(1, PadControl::Fire, false);
        loop.systemKeyDown(vk::F10);
        loop.textTyped("w\x01\xc3\xa9");  // control characters never reach the window procedure
        loop.textTyped("\r");
    }
    void pollOncePerTick(MessageLoop&) override { seen.push_back("poll"); }
};

struct Recorder final : platform::WindowEvents {
    std::vector<std::string>& seen;
    MessageLoop* loop = nullptr;
    explicit Recorder(std::vector<std::string>& s) : seen(s) {}
    void keyDown(int code) override { seen.push_back("down " + std::to_string(code)); }
    void keyUp(int code) override { seen.push_back("up " + std::to_string(code)); }
    void systemKeyDown(int code) override { seen.push_back("system " + std::to_string(code)); }
    void textTyped(const std::string& text) override { seen.push_back("text " + text); }
    void padControl(int pad, PadControl control, bool down) override {
        seen.push_back("pad " + std::to_string(pad) + " " + std::to_string(static_cast<int>(control)) +
                       (down ? " on" : " off"));
    }
    void resized(int, int) override {}
    void activated(bool) override {}
    void closeRequested() override {}
    void frameTick() override {
        seen.push_back("tick");
        if (std::count(seen.begin(), seen.end(), "tick") == 2) loop->quit(5);
    }
};

TEST(MessageLoop, TapsWaitForTheNextTickAndQuitEndsTheLoopWithItsCode) {
    std::vector<std::string> seen;
    ScriptedSource source(seen);
    MessageLoop loop(source);
    Recorder events(seen);
    events.loop = &loop;
    EXPECT_EQ(loop.run(events), 5);
    const std::vector<std::string> expected{"down 112", "pad 1 6 on", "system 121", "text w\xc3\xa9", "poll", "tick",
                                            "up 112", "pad 1 6 off", "poll", "tick"};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(loop.attached());

    // A quit asked for before the loop runs ends the next run before its first tick.
    seen.clear();
    loop.quit(7);
    EXPECT_EQ(loop.run(events), 7);
    EXPECT_TRUE(seen.empty());
}

}  // namespace
