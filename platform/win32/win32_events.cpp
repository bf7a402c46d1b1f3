// The window procedure and the Windows messages for the shared message loop
// (platform/message_loop.h). The loop sleeps in MsgWaitForMultipleObjectsEx until the next tick
// or the next message, with the system timer resolution raised to 1 ms so that the sleep ends on
// time. A window timer of one frame's period keeps the frames coming while a modal loop (a
// message box) dispatches the messages instead; both ask the loop's one grid, so ticks never
// come twice.
#include "platform/message_loop.h"
#include "platform/platform.h"
#include "platform/typed_text.h"
#include "platform/win32/win32_gamepads.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_key_translation.h"

#include <mmsystem.h>

namespace platform {

namespace {
class Win32Events final : public EventSource {
public:
    bool start() override { return true; }
    void waitAndDispatch(MessageLoop& loop, int timeoutMs) override;
    // XInput pads are read, not sent as messages: once per tick, before the frame.
    void pollOncePerTick(MessageLoop& messageLoop) override { win32::pollGamepads(messageLoop); }
};

Win32Events events;
MessageLoop loop(events);
bool typing = false;  // between startTextInput and stopTextInput
Utf16Typing typedUnits;

// Timed waits end within a millisecond instead of the default 15.6 ms steps.
void raiseTimerResolution() {
    static bool raised = false;
    if (!raised) raised = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void Win32Events::waitAndDispatch(MessageLoop& messageLoop, int timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeoutMs), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    // The window is a Unicode one: typed characters arrive as UTF-16, whatever the code page.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            messageLoop.quit(static_cast<int>(message.wParam));
            return;
        }
        // Key messages become characters (WM_CHAR) only while text is asked for.
        if (typing) TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
}  // namespace

namespace win32 {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(window, FRAME_TIMER_ID, FRAME_PERIOD_MS, nullptr);
        return 0;
    case WM_SIZE:
        loop.resized(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ACTIVATE:
        loop.activated(HIWORD(wParam) != 0);
        return 0;
    case WM_KEYDOWN:  // auto-repeat sends repeated key-downs
        loop.keyDown(virtualKeyFor(wParam, lParam));
        return 0;
    case WM_KEYUP:
        loop.keyUp(virtualKeyFor(wParam, lParam));
        return 0;
    case WM_SYSKEYDOWN:  // F10, Alt and Alt combinations: not key-downs
        loop.systemKeyDown(virtualKeyFor(wParam, lParam));
        break;
    case WM_CHAR:  // one UTF-16 unit a message
        if (typing) loop.textTyped(typedUnits.take(static_cast<uint16_t>(wParam)));
        return 0;
    case WM_SYSKEYUP:
        // System keys (Alt, F10, Alt combinations) are not key-downs, but every key-up is
        // delivered: a key held while Alt went down must not stay set.
        loop.keyUp(virtualKeyFor(wParam, lParam));
        break;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_SCREENSAVE:
        case SC_MONITORPOWER:
            return 0;  // no screen saver, no monitor power-down while the game runs
        default:
            break;
        }
        break;
    case WM_CLOSE:
        if (loop.attached()) {
            loop.closeRequested();
        } else {
            postQuit(0);
        }
        return 0;
    case WM_TIMER:
        if (wParam == FRAME_TIMER_ID) {
            loop.tickIfDue();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace win32

void attachWindowEvents(WindowEvents* windowEvents) {
    raiseTimerResolution();
    loop.attach(windowEvents);
}

int runMessageLoop(WindowEvents& windowEvents) {
    raiseTimerResolution();
    return loop.run(windowEvents);
}

void postQuit(int code) { PostQuitMessage(code); }

void startTextInput() {
    typing = true;
    typedUnits.reset();
}

void stopTextInput() { typing = false; }

}  // namespace platform
