// Events and the periodic timer that drive the music player thread.
#include "platform/threading.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using platform::Event;
using platform::PeriodicTimer;
using Clock = std::chrono::steady_clock;

TEST(Event, ResetModesDecideWhetherAWaitConsumesTheSignal) {
    Event manual(true);
    EXPECT_FALSE(manual.wait(0));
    manual.set();
    EXPECT_TRUE(manual.wait(0));
    EXPECT_TRUE(manual.wait(0));  // stays signalled
    EXPECT_TRUE(manual.isSet());
    manual.reset();
    EXPECT_FALSE(manual.wait(0));

    Event automatic(false);
    automatic.set();
    EXPECT_TRUE(automatic.isSet());  // looking does not consume
    EXPECT_TRUE(automatic.wait(0));
    EXPECT_FALSE(automatic.wait(0));  // consumed by the first wait
    automatic.set();
    automatic.set();  // signals do not count up
    EXPECT_TRUE(automatic.wait(0));
    EXPECT_FALSE(automatic.wait(0));
}

TEST(Event, WaitEndsOnTimeoutOrWhenAnotherThreadSignals) {
    Event event(false);
    const auto before = Clock::now();
    EXPECT_FALSE(event.wait(20));
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(20));

    std::thread setter([&event] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        event.set();
    });
    EXPECT_TRUE(event.wait(-1));  // unlimited wait, woken by the other thread
    setter.join();
}

TEST(Event, ManualResetReleasesEveryWaiter) {
    Event gate(true);
    std::atomic<int> released{0};
    std::thread waiters[3];
    for (auto& waiter : waiters) {
        waiter = std::thread([&] {
            if (gate.wait(5000)) ++released;
        });
    }
    gate.set();
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(released.load(), 3);
}

TEST(PeriodicTimer, SignalsItsEventUntilStopped) {
    Event tick(false);
    PeriodicTimer timer;
    EXPECT_FALSE(timer.running());
    ASSERT_TRUE(timer.start(10, tick));
    EXPECT_TRUE(timer.running());
    EXPECT_FALSE(timer.start(10, tick));  // one run at a time

    int ticks = 0;
    for (int i = 0; i < 5; ++i) {
        if (tick.wait(2000)) ++ticks;  // generous: only a dead timer misses this
    }
    EXPECT_EQ(ticks, 5);

    timer.stop();
    EXPECT_FALSE(timer.running());
    tick.reset();
    EXPECT_FALSE(tick.wait(50));  // nothing signals after stop
    timer.stop();                 // repeated stop is harmless
}

TEST(PeriodicTimer, RefusesBadPeriodsAndCanRunAgainAfterStop) {
    Event tick(false);
    PeriodicTimer timer;
    EXPECT_FALSE(timer.start(0, tick));
    EXPECT_FALSE(timer.start(-10, tick));
    EXPECT_FALSE(timer.running());

    ASSERT_TRUE(timer.start(5, tick));
    timer.stop();
    ASSERT_TRUE(timer.start(5, tick));
    EXPECT_TRUE(tick.wait(2000));
    // The destructor stops the second run.
}
