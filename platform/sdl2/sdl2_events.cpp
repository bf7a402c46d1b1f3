// The message loop: SDL events become the window procedure's calls, and a 10 ms frame tick is
// delivered on this (the main) thread between them.
#include "platform/frame_tick.h"
#include "platform/platform.h"
#include "platform/sdl2/gamepads.h"
#include "platform/sdl2/key_translation.h"
#include "platform/sdl2/sdl2_internal.h"
#include "platform/tap_keeper.h"
#include "platform/tick_log.h"

#include <atomic>

namespace platform {

namespace {
constexpr uint64_t FRAME_PERIOD_MICROS = 10000;

std::atomic<bool> quitPosted{false};
std::atomic<int> quitCode{0};
bool minimised = false;
TapKeeper tapKeeper;
sdl2::Gamepads gamepads;
TapKeeper padTapKeeper;  // pad controls, numbered by padTapCode

int padTapCode(int pad, PadControl control) { return 1 + pad * PAD_CONTROLS + static_cast<int>(control); }

// Pad controls go through their own tap keeper, as keys do through theirs.
sdl2::Gamepads::Report padReport(WindowEvents& events) {
    return [&events](int pad, PadControl control, bool down) {
        int code = padTapCode(pad, control);
        if (down) padTapKeeper.keyDown(code);
        if (down || padTapKeeper.keyUp(code)) events.padControl(pad, control, down);
    };
}

uint64_t nowMicros() {
    static const uint64_t frequency = SDL_GetPerformanceFrequency();
    uint64_t counter = SDL_GetPerformanceCounter();
    return counter / frequency * 1000000 + counter % frequency * 1000000 / frequency;
}

void reportSize(WindowEvents& events) {
    int width = 0, height = 0;
    if (SDL_Window* window = sdl2::window()) SDL_GL_GetDrawableSize(window, &width, &height);
    events.resized(width, height);
}

void handleWindowEvent(const SDL_WindowEvent& event, WindowEvents& events) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        reportSize(events);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        minimised = true;
        events.activated(true);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
        minimised = false;
        events.activated(false);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // SDL sends no pad events to an unfocused window, so nothing would switch them off.
        gamepads.releaseAll(padReport(events));
        events.activated(minimised);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        events.activated(minimised);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        events.closeRequested();
        break;
    default:
        break;
    }
}

void dispatch(const SDL_Event& event, WindowEvents& events) {
    switch (event.type) {
    case SDL_KEYDOWN:  // repeated key-downs while a key is held come here too
        if (sdl2::isSystemKeyDown(event.key.keysym.sym, event.key.keysym.mod)) {
            if (int code = sdl2::virtualKeyFor(event.key.keysym.sym, event.key.keysym.scancode))
                events.systemKeyDown(code);
        } else if (int code = sdl2::keyDownCode(event.key.keysym)) {
            tapKeeper.keyDown(code);
            events.keyDown(code);
        }
        break;
    case SDL_KEYUP:
        if (int code = sdl2::keyUpCode(event.key.keysym); code && tapKeeper.keyUp(code)) events.keyUp(code);
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window, events);
        break;
    case SDL_QUIT:  // also sent on SIGINT and SIGTERM
        events.closeRequested();
        break;
    default:
        gamepads.handle(event, padReport(events));
        break;
    }
}
}  // namespace

int runMessageLoop(WindowEvents& events) {
    if (!sdl2::ensureSubsystem(SDL_INIT_EVENTS)) return quitCode.load();
    SDL_StopTextInput();  // key messages only; no text input or input method
    sdl2::ensureSubsystem(SDL_INIT_GAMECONTROLLER);  // without it: no pads, the keys still work
    FrameTicker ticker(nowMicros(), FRAME_PERIOD_MICROS);
    while (!quitPosted.load()) {
        uint64_t wait = ticker.microsUntilTick(nowMicros());
        int timeoutMs = static_cast<int>((wait + 999) / 1000);
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, timeoutMs)) {
            dispatch(event, events);
            while (!quitPosted.load() && SDL_PollEvent(&event)) dispatch(event, events);
        }
        if (quitPosted.load()) break;
        if (uint64_t now = nowMicros(); ticker.takeTick(now)) {
            recordTick(now);
            events.frameTick();
            tapKeeper.afterTick([&events](int code) { events.keyUp(code); });
            padTapKeeper.afterTick([&events](int code) {
                events.padControl((code - 1) / PAD_CONTROLS, static_cast<PadControl>((code - 1) % PAD_CONTROLS), false);
            });
        }
    }
    quitPosted = false;
    return quitCode.load();
}

// SDL's message boxes stop the window until they are answered: nothing to hand over early.
void attachWindowEvents(WindowEvents*) {}

void postQuit(int code) {
    quitCode = code;
    quitPosted = true;
}

}  // namespace platform
