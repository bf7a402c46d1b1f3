// The tap rule and the pacing of the frame tick that every backend's message loop applies: pure
// functions, checked without a window.
#include "platform/frame_tick.h"
#include "platform/keys.h"
#include "platform/tap_keeper.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::FrameTicker;
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
    FrameTicker ticker(1000, 10000);  // first tick due at 11000
    EXPECT_EQ(ticker.microsUntilTick(1000), 10000u);
    EXPECT_FALSE(ticker.takeTick(10999));
    EXPECT_TRUE(ticker.takeTick(11000));
    EXPECT_FALSE(ticker.takeTick(11000));
    // A late tick does not shift the grid: 21000 was due, so the next is 31000.
    EXPECT_TRUE(ticker.takeTick(24000));
    EXPECT_EQ(ticker.nextTick(), 31000u);
    EXPECT_EQ(ticker.microsUntilTick(24000), 7000u);
    EXPECT_EQ(ticker.microsUntilTick(40000), 0u);
}

TEST(FrameTick, FallingBehindMergesTicksInsteadOfBursting) {
    FrameTicker ticker(0, 10000);
    // Half a second without a chance to tick: one tick, then the next grid point after now.
    EXPECT_TRUE(ticker.takeTick(505000));
    EXPECT_FALSE(ticker.takeTick(505001));
    EXPECT_FALSE(ticker.takeTick(509999));
    EXPECT_TRUE(ticker.takeTick(510000));
    // Counting ticks over a steady stretch polled every millisecond: exactly one per period.
    int ticks = 0;
    for (uint64_t t = 510001; t <= 1510001; t += 1000) ticks += ticker.takeTick(t);
    EXPECT_EQ(ticks, 100);
}

TEST(FrameTick, ZeroPeriodDoesNotHang) {
    FrameTicker ticker(0, 0);
    EXPECT_TRUE(ticker.takeTick(5));
    EXPECT_FALSE(ticker.takeTick(5));
}

}  // namespace
