// The window procedure and the message loop. Frame ticks fall on a 10 ms grid of the performance
// counter: the loop sleeps in MsgWaitForMultipleObjectsEx until the next grid point or the next
// message, with the system timer resolution raised to 1 ms so that the sleep ends on time. A
// 10 ms window timer keeps the frames coming while a modal loop (a message box) dispatches the
// messages instead of this loop; both ask the same grid, so ticks never come twice.
#include "platform/frame_tick.h"
#include "platform/platform.h"
#include "platform/tap_keeper.h"
#include "platform/tick_log.h"
#include "platform/win32/win32_gamepads.h"
#include "platform/win32/win32_internal.h"

#include <mmsystem.h>

#include <optional>

namespace platform {

namespace {
constexpr UINT_PTR FRAME_TIMER_ID = 9999;
constexpr UINT FRAME_PERIOD_MS = 10;
constexpr uint64_t FRAME_PERIOD_MICROS = FRAME_PERIOD_MS * 1000;

WindowEvents* current = nullptr;
std::optional<FrameTicker> ticker;
TapKeeper tapKeeper;
bool inTick = false;

uint64_t nowMicros() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<uint64_t>(value.QuadPart);
    }();
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    uint64_t counter = static_cast<uint64_t>(value.QuadPart);
    return counter / frequency * 1000000 + counter % frequency * 1000000 / frequency;
}

// One frame when the grid says one is due. A frame that shows a message box does not get
// another frame from inside that box.
void tickIfDue() {
    uint64_t now = nowMicros();
    if (!current || inTick || !ticker || !ticker->takeTick(now)) return;
    recordTick(now);
    inTick = true;
    win32::pollGamepads(*current);
    current->frameTick();
    if (current) tapKeeper.afterTick([](int code) { current->keyUp(code); });
    inTick = false;
}

void releaseKey(int code) {
    if (code && tapKeeper.keyUp(code) && current) current->keyUp(code);
}
}  // namespace

namespace win32 {

int virtualKeyFor(WPARAM wParam, LPARAM lParam) {
    int code = static_cast<int>(wParam);
    if (code <= 0 || code > 255) return 0;
    bool extended = (lParam & (1L << 24)) != 0;
    if (code == VK_CONTROL && extended) return VK_RCONTROL;  // its own code, as on Linux
    if (extended) return code;
    switch (code) {  // the keypad without Num Lock, or with Shift
    case VK_INSERT: return VK_NUMPAD0;
    case VK_END: return VK_NUMPAD1;
    case VK_DOWN: return VK_NUMPAD2;
    case VK_NEXT: return VK_NUMPAD3;
    case VK_LEFT: return VK_NUMPAD4;
    case VK_CLEAR: return VK_NUMPAD5;
    case VK_RIGHT: return VK_NUMPAD6;
    case VK_HOME: return VK_NUMPAD7;
    case VK_UP: return VK_NUMPAD8;
    case VK_PRIOR: return VK_NUMPAD9;
    case VK_DELETE: return VK_DECIMAL;
    default: return code;
    }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(window, FRAME_TIMER_ID, FRAME_PERIOD_MS, nullptr);
        return 0;
    case WM_SIZE:
        if (current) current->resized(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ACTIVATE:
        if (current) current->activated(HIWORD(wParam) != 0);
        return 0;
    case WM_KEYDOWN:  // auto-repeat sends repeated key-downs
        if (int code = virtualKeyFor(wParam, lParam)) {
            tapKeeper.keyDown(code);
            if (current) current->keyDown(code);
        }
        return 0;
    case WM_KEYUP:
        releaseKey(virtualKeyFor(wParam, lParam));
        return 0;
    case WM_SYSKEYDOWN:  // F10, Alt and Alt combinations: not key-downs
        if (int code = virtualKeyFor(wParam, lParam); code && current) current->systemKeyDown(code);
        break;
    case WM_SYSKEYUP:
        // System keys (Alt, F10, Alt combinations) are not key-downs, but every key-up is
        // delivered: a key held while Alt went down must not stay set.
        releaseKey(virtualKeyFor(wParam, lParam));
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
        if (current) {
            current->closeRequested();
        } else {
            postQuit(0);
        }
        return 0;
    case WM_TIMER:
        if (wParam == FRAME_TIMER_ID) {
            tickIfDue();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace win32

void attachWindowEvents(WindowEvents* events) {
    static bool resolutionRaised = false;
    if (!resolutionRaised) resolutionRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
    if (events && !current) ticker.emplace(nowMicros(), FRAME_PERIOD_MICROS);
    current = events;
    if (!events) ticker.reset();
}

int runMessageLoop(WindowEvents& events) {
    if (current != &events) attachWindowEvents(&events);
    MSG message;
    for (;;) {
        uint64_t wait = ticker->microsUntilTick(nowMicros());
        DWORD timeoutMs = static_cast<DWORD>((wait + 999) / 1000);
        MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                attachWindowEvents(nullptr);
                return static_cast<int>(message.wParam);
            }
            DispatchMessageA(&message);  // no key translation: key messages only
        }
        tickIfDue();
    }
}

void postQuit(int code) { PostQuitMessage(code); }

}  // namespace platform
