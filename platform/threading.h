// Events and a periodic timer for the music player thread, in portable C++ (no OS headers).
// An Event is either manual-reset (stays signalled until reset) or auto-reset (one successful
// wait consumes the signal). The PeriodicTimer signals an auto-reset Event at a fixed period from
// a thread of its own, paced by the steady clock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

class Event {
public:
    explicit Event(bool manualReset);
    virtual ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // Waits until the event is signalled or timeoutMs have passed; a negative timeout waits
    // without limit, 0 only looks. True when signalled (an auto-reset event is then cleared).
    bool wait(int timeoutMs);
    bool isSet();  // looks without consuming an auto-reset signal

private:
    std::mutex mutex;
    std::condition_variable changed;
    const bool manualReset;
    bool signalled = false;
};

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    ~PeriodicTimer();  // stops the timer
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Signals target every periodMs milliseconds until stop. False (and nothing started) when
    // the timer already runs, the period is not positive or the timer thread cannot be made.
    // The target must outlive the timer's run.
    bool start(int periodMs, Event& target);
    // Ends the timer thread; when stop returns, target is not touched any more. Safe to repeat.
    void stop();
    bool running() const { return thread.joinable(); }

private:
    void run(std::chrono::milliseconds period, Event* target);

    std::thread thread;
    std::mutex mutex;
    std::condition_variable stopRequested;
    bool stopping = false;
};

}  // namespace platform
