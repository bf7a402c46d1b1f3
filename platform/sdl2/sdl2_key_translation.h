// SDL key events to the Windows virtual-key codes that KeyState is indexed by.
#pragma once

#include <SDL.h>

namespace platform::sdl2 {

// The virtual-key code for a key, or 0 when the key has none that the program knows.
// Letters and digits follow the keyboard layout (the key symbol), falling back to the key's
// position for layouts without Latin letters; keypad digits follow the position, so they are
// VK_NUMPAD0..9 whether or not Num Lock is on. The keys that type '.' and '/' on a US keyboard
// are VK_OEM_PERIOD and VK_OEM_2 by position, unless the layout puts a letter or digit there;
// the right Ctrl key is VK_RCONTROL.
int virtualKeyFor(SDL_Keycode symbol, SDL_Scancode scancode);

// System keys (F10, Alt and Alt combinations) do not arrive as key-downs, as on Windows.
bool isSystemKeyDown(SDL_Keycode symbol, Uint16 modifiers);

// What a key-down delivers: the virtual-key code, or 0 for nothing.
int keyDownCode(const SDL_Keysym& key);
// What a key-up delivers: every known key is released, also system keys, so that no entry of
// KeyState stays set after its key went up.
int keyUpCode(const SDL_Keysym& key);

}  // namespace platform::sdl2
