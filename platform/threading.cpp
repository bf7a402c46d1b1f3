#include "platform/threading.h"

#include <system_error>

namespace platform {

Event::Event(bool manualReset) : manualReset(manualReset) {}

Event::~Event() = default;

void Event::set() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        signalled = true;
    }
    // A manual-reset event releases every waiter; an auto-reset one is consumed by one of them.
    if (manualReset) {
        changed.notify_all();
    } else {
        changed.notify_one();
    }
}

void Event::reset() {
    std::lock_guard<std::mutex> lock(mutex);
    signalled = false;
}

bool Event::wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex);
    auto isSignalled = [this] { return signalled; };
    if (timeoutMs < 0) {
        changed.wait(lock, isSignalled);
    } else if (!changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSignalled)) {
        return false;
    }
    if (!manualReset) signalled = false;
    return true;
}

bool Event::isSet() {
    std::lock_guard<std::mutex> lock(mutex);
    return signalled;
}

PeriodicTimer::~PeriodicTimer() { stop(); }

bool PeriodicTimer::start(int periodMs, Event& target) {
    if (thread.joinable() || periodMs <= 0) return false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = false;
    }
    try {
        thread = std::thread(&PeriodicTimer::run, this, std::chrono::milliseconds(periodMs), &target);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PeriodicTimer::stop() {
    if (!thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    stopRequested.notify_all();
    thread.join();
}

void PeriodicTimer::run(std::chrono::milliseconds period, Event* target) {
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopRequested.wait_until(lock, next, [this] { return stopping; })) {
        target->set();
        next += period;
        // After a long stall (a suspended machine, an overloaded core) restart the beat from now
        // instead of firing the missed periods back to back.
        const auto now = Clock::now();
        if (next < now) next = now + period;
    }
}

}  // namespace platform
