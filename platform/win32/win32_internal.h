// State that the Win32 backend's files share: the program's window, the window procedure's key
// translation and the sound rings' cursor reader.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

struct IDirectSoundBuffer;

namespace platform::win32 {

HWND window();  // the program's window, or null
// The window that owns the sound device and message boxes: the program's window, else the desktop.
HWND ownerWindow();

// The window procedure that createWindow registers with the window class.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window timer that keeps frames coming while a modal loop dispatches the messages.
constexpr UINT_PTR FRAME_TIMER_ID = 9999;

// Reads a sound ring's play cursor: devicePlayCursor (GetCurrentPosition), unless a test puts a
// reader here that fails the buffer as a lost or broken device would.
using CursorReader = HRESULT (*)(IDirectSoundBuffer* buffer, DWORD* play);
HRESULT devicePlayCursor(IDirectSoundBuffer* buffer, DWORD* play);
extern CursorReader readPlayCursor;

}  // namespace platform::win32
