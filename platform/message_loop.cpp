#include "platform/message_loop.h"

#include "platform/tick_log.h"
#include "platform/typed_text.h"

#include <chrono>

namespace platform {

namespace {
uint64_t nowMicros() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// Pad controls share a tap keeper's 1..255 codes: pad 0's controls first, then pad 1's.
int padTapCode(int pad, PadControl control) { return 1 + pad * PAD_CONTROLS + static_cast<int>(control); }
}  // namespace

int MessageLoop::run(WindowEvents& events) {
    if (!source_.start()) return quitCode_.load();
    if (events_ != &events) attach(&events);
    while (!quitPosted_.load()) {
        source_.waitAndDispatch(*this, millisUntilTick());
        if (quitPosted_.load()) break;
        tickIfDue();
    }
    attach(nullptr);
    quitPosted_ = false;
    return quitCode_.load();
}

void MessageLoop::attach(WindowEvents* events) {
    if (events && !events_) ticker_.emplace(nowMicros(), FRAME_PERIOD_MICROS);
    events_ = events;
    if (!events) ticker_.reset();
}

void MessageLoop::quit(int code) {
    quitCode_ = code;
    quitPosted_ = true;
}

void MessageLoop::tickIfDue() {
    if (!events_ || inTick_ || !ticker_) return;
    uint64_t now = nowMicros();
    if (!ticker_->takeTick(now)) return;
    recordTick(now);
    inTick_ = true;
    source_.pollOncePerTick(*this);
    if (events_) events_->frameTick();
    if (events_) {  // the frame may have ended the loop's hand-over
        keys_.afterTick([this](int code) { events_->keyUp(code); });
        pads_.afterTick([this](int code) {
            events_->padControl((code - 1) / PAD_CONTROLS, static_cast<PadControl>((code - 1) % PAD_CONTROLS), false);
        });
    }
    inTick_ = false;
}

int MessageLoop::millisUntilTick() const {
    if (!ticker_) return FRAME_PERIOD_MS;
    return static_cast<int>((ticker_->microsUntilTick(nowMicros()) + 999) / 1000);
}

void MessageLoop::keyDown(int code) {
    if (!code) return;  // a key without a code
    keys_.keyDown(code);
    if (events_) events_->keyDown(code);
}

void MessageLoop::keyUp(int code) {
    if (code && keys_.keyUp(code) && events_) events_->keyUp(code);
}

void MessageLoop::systemKeyDown(int code) {
    if (code && events_) events_->systemKeyDown(code);
}

void MessageLoop::textTyped(const std::string& utf8) {
    std::string text = printableText(utf8);
    if (!text.empty() && events_) events_->textTyped(text);
}

void MessageLoop::padControl(int pad, PadControl control, bool down) {
    int code = padTapCode(pad, control);
    if (down) pads_.keyDown(code);
    if ((down || pads_.keyUp(code)) && events_) events_->padControl(pad, control, down);
}

void MessageLoop::resized(int width, int height) {
    if (events_) events_->resized(width, height);
}

void MessageLoop::activated(bool minimised) {
    if (events_) events_->activated(minimised);
}

void MessageLoop::closeRequested() {
    if (events_) events_->closeRequested();
}

}  // namespace platform
