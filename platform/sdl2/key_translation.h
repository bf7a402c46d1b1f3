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

namespace platform::sdl2 {

// Keeps short taps from being lost: a key that goes down and up again between two frame ticks
// would otherwise be set and cleared in KeyState before any frame looked at it. Such a key-up is
// held back and delivered right after the next tick.
class TapKeeper {
public:
    void keyDown(int code) {
        if (!valid(code)) return;
        downSinceTick_[code] = true;
        heldUp_[code] = false;  // down again: the held-back release is void
    }
    // Whether the key-up is to be delivered now; false when it is held back.
    bool keyUp(int code) {
        if (!valid(code) || !downSinceTick_[code]) return true;
        heldUp_[code] = true;
        return false;
    }
    // After a tick: calls release(code) for each held-back key-up and starts a new interval.
    template <typename Release>
    void afterTick(Release&& release) {
        for (int code = 0; code < 256; ++code) {
            downSinceTick_[code] = false;
            if (heldUp_[code]) {
                heldUp_[code] = false;
                release(code);
            }
        }
    }

private:
    static bool valid(int code) { return code > 0 && code < 256; }
    bool downSinceTick_[256] = {};
    bool heldUp_[256] = {};
};

}  // namespace platform::sdl2
