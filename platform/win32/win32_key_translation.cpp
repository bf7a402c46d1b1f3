#include "platform/win32/win32_key_translation.h"

namespace platform::win32 {

namespace {
// The keypad without Num Lock (or with Shift) reports navigation keys without the extended bit.
int keypadKey(int code) {
    switch (code) {
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
}  // namespace

int virtualKeyFor(WPARAM wParam, LPARAM lParam) {
    int code = static_cast<int>(wParam);
    if (code <= 0 || code > 255) return 0;
    bool extended = (lParam & (1L << 24)) != 0;
    if (code == VK_CONTROL && extended) return VK_RCONTROL;  // its own code, as on Linux
    return extended ? code : keypadKey(code);
}

}  // namespace platform::win32
