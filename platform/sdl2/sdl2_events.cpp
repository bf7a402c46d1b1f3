// SDL's events for the shared message loop (platform/message_loop.h): the loop waits here for the
// next event or tick, and each event becomes the window procedure's call.
#include "platform/message_loop.h"
#include "platform/platform.h"
#include "platform/sdl2/sdl2_gamepads.h"
#include "platform/sdl2/sdl2_internal.h"
#include "platform/sdl2/sdl2_key_translation.h"

namespace platform {

namespace {
bool textWanted = false;  // between startTextInput and stopTextInput

class SdlEvents final : public EventSource {
public:
    bool start() override;
    void waitAndDispatch(MessageLoop& loop, int timeoutMs) override;

private:
    void dispatch(const SDL_Event& event, MessageLoop& loop);
    void handleWindowEvent(const SDL_WindowEvent& event, MessageLoop& loop);

    bool minimised_ = false;
    sdl2::Gamepads gamepads_;
};

sdl2::Gamepads::Report padReport(MessageLoop& loop) {
    return [&loop](int pad, PadControl control, bool down) { loop.padControl(pad, control, down); };
}

void reportSize(MessageLoop& loop) {
    int width = 0, height = 0;
    if (SDL_Window* window = sdl2::window()) SDL_GL_GetDrawableSize(window, &width, &height);
    loop.resized(width, height);
}

bool SdlEvents::start() {
    if (!sdl2::ensureSubsystem(SDL_INIT_EVENTS)) return false;
    sdl2::applyTextInput();
    sdl2::ensureSubsystem(SDL_INIT_GAMECONTROLLER);  // without it: no pads, the keys still work
    return true;
}

void SdlEvents::waitAndDispatch(MessageLoop& loop, int timeoutMs) {
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, timeoutMs)) return;
    dispatch(event, loop);
    while (!loop.quitting() && SDL_PollEvent(&event)) dispatch(event, loop);
}

void SdlEvents::handleWindowEvent(const SDL_WindowEvent& event, MessageLoop& loop) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        reportSize(loop);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        minimised_ = true;
        loop.activated(true);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
        minimised_ = false;
        loop.activated(false);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // SDL sends no pad events to an unfocused window, so nothing would switch them off.
        gamepads_.releaseAll(padReport(loop));
        loop.activated(minimised_);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        loop.activated(minimised_);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        loop.closeRequested();
        break;
    default:
        break;
    }
}

void SdlEvents::dispatch(const SDL_Event& event, MessageLoop& loop) {
    switch (event.type) {
    case SDL_KEYDOWN:  // repeated key-downs while a key is held come here too
        if (sdl2::isSystemKeyDown(event.key.keysym.sym, event.key.keysym.mod)) {
            loop.systemKeyDown(sdl2::virtualKeyFor(event.key.keysym.sym, event.key.keysym.scancode));
        } else {
            loop.keyDown(sdl2::keyDownCode(event.key.keysym));
        }
        break;
    case SDL_KEYUP:
        loop.keyUp(sdl2::keyUpCode(event.key.keysym));
        break;
    case SDL_TEXTINPUT:  // only while the program asked for text
        if (textWanted) loop.textTyped(event.text.text);
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window, loop);
        break;
    case SDL_QUIT:  // also sent on SIGINT and SIGTERM
        loop.closeRequested();
        break;
    default:
        gamepads_.handle(event, padReport(loop));
        break;
    }
}

SdlEvents events;
MessageLoop loop(events);
}  // namespace

namespace sdl2 {
// SDL starts text input (and an input method) by default; here it runs only while asked for.
void applyTextInput() {
    if (textWanted) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}
}  // namespace sdl2

void startTextInput() {
    textWanted = true;
    sdl2::applyTextInput();
}

void stopTextInput() {
    textWanted = false;
    sdl2::applyTextInput();
}

int runMessageLoop(WindowEvents& windowEvents) { return loop.run(windowEvents); }

// SDL's message boxes stop the window until they are answered: nothing to hand over early.
void attachWindowEvents(WindowEvents*) {}

void postQuit(int code) { loop.quit(code); }

}  // namespace platform
