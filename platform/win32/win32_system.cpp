// The mouse through DirectInput, process and thread priorities, and sleeping.
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

#define DIRECTINPUT_VERSION 0x0500
#include <dinput.h>

#include <algorithm>

namespace platform {

namespace {
// Made once and kept for the rest of the run, as the mouse is read only at start-up.
IDirectInputA* directInput = nullptr;
IDirectInputDeviceA* mouse = nullptr;
bool mouseAcquired = false;
}  // namespace

// The system mouse, relative axes, shared with other programs and read only while the window
// has the focus.
bool openRelativeMouse() {
    HWND window = win32::window();
    if (!window) return false;
    if (!directInput &&
        FAILED(DirectInputCreateA(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, &directInput, nullptr)))
        return false;
    if (!mouse && FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr))) return false;
    if (FAILED(mouse->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND))) return false;
    if (FAILED(mouse->SetDataFormat(&c_dfDIMouse))) return false;
    mouseAcquired = SUCCEEDED(mouse->Acquire());
    return mouseAcquired;
}

bool readMouseMotion(int& dx, int& dy) {
    dx = dy = 0;
    if (!mouseAcquired) return false;
    DIMOUSESTATE state{};
    if (FAILED(mouse->GetDeviceState(sizeof state, &state))) return false;
    dx = state.lX;
    dy = state.lY;
    return true;
}

void raiseProcessPriority() { SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS); }

void raiseThreadToTimeCritical() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL); }

void sleepMilliseconds(int ms) { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

std::string executableFolder() {
    char path[4 * MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    std::string folder(path, length);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    size_t slash = folder.rfind('/');
    return slash == std::string::npos ? "" : folder.substr(0, slash + 1);
}

}  // namespace platform
