// The message loop that the windowed backends share. A backend only waits for its next event or
// the next tick and hands over what it got; the loop paces the frame tick on the steady clock,
// holds taps back until a frame has seen them (keys and pad controls), records the ticks
// (platform/tick_log.h) and delivers everything to the window procedure.
#pragma once

#include "platform/frame_tick.h"
#include "platform/platform.h"
#include "platform/tap_keeper.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class MessageLoop;

// What a windowed backend gives the loop.
class EventSource {
public:
    virtual ~EventSource() = default;
    // Readies the events when a loop starts; false when there are none to wait for.
    virtual bool start() = 0;
    // Waits at most timeoutMs for the next event, then hands it and every event already queued
    // behind it to the loop, stopping early once the loop is quitting.
    virtual void waitAndDispatch(MessageLoop& loop, int timeoutMs) = 0;
    // Once per tick, before the frame: inputs that are read rather than sent as events.
    virtual void pollOncePerTick(MessageLoop&) {}
};

class MessageLoop {
public:
    explicit MessageLoop(EventSource& source) : source_(source) {}

    // Runs until quit; returns the quit code. A quit asked for before it starts ends it at once.
    int run(WindowEvents& events);
    // Hands events the window's messages and ticks from now on, on a tick grid that starts now
    // (null: no longer).
    void attach(WindowEvents* events);
    bool attached() const { return events_ != nullptr; }

    // Ends the running loop (or the next one) with code; safe from any thread.
    void quit(int code);
    bool quitting() const { return quitPosted_.load(); }

    // A frame when the grid says one is due, then the key-ups and pad releases held back for it.
    // A frame that shows a message box gets no further frame from inside that box.
    void tickIfDue();
    // Milliseconds until the next tick, rounded up (0 when one is due).
    int millisUntilTick() const;

    // The events a backend hands over, in its own translation: virtual-key codes and pad controls.
    void keyDown(int code);
    void keyUp(int code);
    void systemKeyDown(int code);
    void textTyped(const std::string& utf8);  // control characters are dropped
    void padControl(int pad, PadControl control, bool down);
    void resized(int width, int height);
    void activated(bool minimised);
    void closeRequested();

private:
    EventSource& source_;
    WindowEvents* events_ = nullptr;
    std::optional<FrameTicker> ticker_;
    TapKeeper keys_;
    TapKeeper pads_;  // pad controls, numbered by padTapCode
    bool inTick_ = false;
    std::atomic<bool> quitPosted_{false};
    std::atomic<int> quitCode_{0};
};

}  // namespace platform
