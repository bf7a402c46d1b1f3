#include "platform/sdl2/sdl2_key_translation.h"

#include "platform/keys.h"

namespace platform::sdl2 {

namespace {
int keypadDigit(SDL_Scancode scancode) {
    switch (scancode) {
    case SDL_SCANCODE_KP_0: return 0;
    case SDL_SCANCODE_KP_1: return 1;
    case SDL_SCANCODE_KP_2: return 2;
    case SDL_SCANCODE_KP_3: return 3;
    case SDL_SCANCODE_KP_4: return 4;
    case SDL_SCANCODE_KP_5: return 5;
    case SDL_SCANCODE_KP_6: return 6;
    case SDL_SCANCODE_KP_7: return 7;
    case SDL_SCANCODE_KP_8: return 8;
    case SDL_SCANCODE_KP_9: return 9;
    default: return -1;
    }
}

int otherKey(SDL_Keycode symbol) {
    switch (symbol) {
    case SDLK_ESCAPE: return vk::ESCAPE;
    case SDLK_BACKSPACE: return vk::BACK;
    case SDLK_TAB: return vk::TAB;
    case SDLK_RETURN: case SDLK_KP_ENTER: return vk::RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return vk::SHIFT;
    case SDLK_LCTRL: return vk::CONTROL;
    case SDLK_RCTRL: return vk::RCONTROL;  // its own code: player 2's fire key beside the arrows
    case SDLK_LALT: case SDLK_RALT: return vk::MENU;
    case SDLK_PAUSE: return vk::PAUSE;
    case SDLK_SPACE: return vk::SPACE;
    case SDLK_PAGEUP: return vk::PRIOR;
    case SDLK_PAGEDOWN: return vk::NEXT;
    case SDLK_END: return vk::END;
    case SDLK_HOME: return vk::HOME;
    case SDLK_LEFT: return vk::LEFT;
    case SDLK_UP: return vk::UP;
    case SDLK_RIGHT: return vk::RIGHT;
    case SDLK_DOWN: return vk::DOWN;
    case SDLK_INSERT: return vk::INSERT;
    case SDLK_DELETE: return vk::DELETE_KEY;
    case SDLK_KP_MULTIPLY: return vk::MULTIPLY;
    case SDLK_KP_PLUS: return vk::ADD;
    case SDLK_KP_MINUS: return vk::SUBTRACT;
    case SDLK_KP_DECIMAL: case SDLK_KP_PERIOD: return vk::DECIMAL;
    case SDLK_KP_DIVIDE: return vk::DIVIDE;
    default: return 0;
    }
}
}  // namespace

int virtualKeyFor(SDL_Keycode symbol, SDL_Scancode scancode) {
    int pad = keypadDigit(scancode);
    if (pad >= 0) return vk::numpad(pad);
    if (symbol >= SDLK_a && symbol <= SDLK_z) return vk::letter(static_cast<char>('A' + (symbol - SDLK_a)));
    if (symbol >= SDLK_0 && symbol <= SDLK_9) return vk::digit(symbol - SDLK_0);
    if (symbol >= SDLK_F1 && symbol <= SDLK_F12) return vk::F1 + (symbol - SDLK_F1);
    if (int code = otherKey(symbol)) return code;
    // The two keys left of the right Shift, whatever they type (player 2's turret keys).
    if (scancode == SDL_SCANCODE_PERIOD) return vk::OEM_PERIOD;
    if (scancode == SDL_SCANCODE_SLASH) return vk::OEM_2;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return vk::letter(static_cast<char>('A' + (scancode - SDL_SCANCODE_A)));
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return vk::digit(1 + (scancode - SDL_SCANCODE_1));
    if (scancode == SDL_SCANCODE_0) return vk::digit(0);
    return 0;
}

bool isSystemKeyDown(SDL_Keycode symbol, Uint16 modifiers) {
    if (symbol == SDLK_F10 || symbol == SDLK_LALT || symbol == SDLK_RALT) return true;
    // Alt with Ctrl is AltGr on many layouts and types ordinary characters.
    return (modifiers & KMOD_ALT) && !(modifiers & KMOD_CTRL);
}

int keyDownCode(const SDL_Keysym& key) {
    if (isSystemKeyDown(key.sym, key.mod)) return 0;
    return virtualKeyFor(key.sym, key.scancode);
}

int keyUpCode(const SDL_Keysym& key) { return virtualKeyFor(key.sym, key.scancode); }

}  // namespace platform::sdl2
