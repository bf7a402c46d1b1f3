// Windows key messages to the virtual-key codes that KeyState is indexed by.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform::win32 {

// The virtual-key code that a key message delivers, from its wParam and lParam; 0 for none.
// Keypad digits are VK_NUMPAD0..9 whether or not Num Lock is on (without Num Lock Windows reports
// the keypad's navigation meaning, told apart from the arrow block by the extended-key bit); the
// right Ctrl key is VK_RCONTROL.
int virtualKeyFor(WPARAM wParam, LPARAM lParam);

}  // namespace platform::win32
