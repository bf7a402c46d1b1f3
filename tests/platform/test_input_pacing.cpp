// Key translation from SDL key events to virtual-key codes: pure functions.
#include "platform/keys.h"
#include "platform/sdl2/sdl2_key_translation.h"

#include <gtest/gtest.h>

namespace {

using platform::sdl2::keyDownCode;
using platform::sdl2::keyUpCode;
using platform::sdl2::virtualKeyFor;

SDL_Keysym key(SDL_Keycode symbol, SDL_Scancode scancode, Uint16 modifiers = KMOD_NONE) {
    SDL_Keysym k{};
    k.sym = symbol;
    k.scancode = scancode;
    k.mod = modifiers;
    return k;
}

TEST(KeyTranslation, LettersDigitsFunctionKeysAndEscape) {
    EXPECT_EQ(virtualKeyFor(SDLK_a, SDL_SCANCODE_A), 0x41);
    EXPECT_EQ(virtualKeyFor(SDLK_z, SDL_SCANCODE_Z), 0x5A);
    EXPECT_EQ(virtualKeyFor(SDLK_x, SDL_SCANCODE_X), vk::letter('X'));
    EXPECT_EQ(virtualKeyFor(SDLK_0, SDL_SCANCODE_0), 0x30);
    EXPECT_EQ(virtualKeyFor(SDLK_7, SDL_SCANCODE_7), 0x37);
    EXPECT_EQ(virtualKeyFor(SDLK_F1, SDL_SCANCODE_F1), vk::F1);
    EXPECT_EQ(virtualKeyFor(SDLK_F3, SDL_SCANCODE_F3), vk::F3);
    EXPECT_EQ(virtualKeyFor(SDLK_F12, SDL_SCANCODE_F12), vk::F12);
    EXPECT_EQ(virtualKeyFor(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), vk::ESCAPE);
    // The layout decides for letters: the key at the Q position types A on some layouts.
    EXPECT_EQ(virtualKeyFor(SDLK_a, SDL_SCANCODE_Q), vk::letter('A'));
    // A layout without Latin letters falls back to the key's position.
    EXPECT_EQ(virtualKeyFor(0x3b1 /* Greek alpha */, SDL_SCANCODE_A), vk::letter('A'));
    EXPECT_EQ(virtualKeyFor(0x3b1, SDL_SCANCODE_2), vk::digit(2));
    // Keys the program has no code for give 0.
    EXPECT_EQ(virtualKeyFor(SDLK_PRINTSCREEN, SDL_SCANCODE_PRINTSCREEN), 0);
}

TEST(KeyTranslation, KeypadDigitsWithAndWithoutNumLock) {
    for (int d = 0; d <= 9; ++d) {
        SDL_Scancode pad = d == 0 ? SDL_SCANCODE_KP_0 : static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + d - 1);
        SDL_Keycode withNumLock = d == 0 ? SDLK_KP_0 : static_cast<SDL_Keycode>(SDLK_KP_1 + d - 1);
        EXPECT_EQ(keyDownCode(key(withNumLock, pad, KMOD_NUM)), vk::numpad(d)) << d;
    }
    // Without Num Lock the keypad keys report navigation symbols; they stay keypad digits.
    EXPECT_EQ(keyDownCode(key(SDLK_HOME, SDL_SCANCODE_KP_7)), vk::numpad(7));
    EXPECT_EQ(keyDownCode(key(SDLK_UP, SDL_SCANCODE_KP_8)), vk::numpad(8));
    EXPECT_EQ(keyDownCode(key(SDLK_DOWN, SDL_SCANCODE_KP_2)), vk::numpad(2));
    EXPECT_EQ(keyDownCode(key(SDLK_INSERT, SDL_SCANCODE_KP_0)), vk::numpad(0));
    // ...while the arrow keys themselves are not keypad digits.
    EXPECT_EQ(keyDownCode(key(SDLK_UP, SDL_SCANCODE_UP)), 0x26);
}

// Player 2's laptop keys: right Ctrl apart from left Ctrl, and the two keys left of the right
// Shift by position unless the layout types a letter there.
TEST(KeyTranslation, LaptopKeysBesideTheArrows) {
    struct Case { SDL_Keycode symbol; SDL_Scancode scancode; int code; };
    const Case cases[] = {
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, vk::RCONTROL},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, vk::CONTROL},
        {SDLK_PERIOD, SDL_SCANCODE_PERIOD, vk::OEM_PERIOD},
        {SDLK_SLASH, SDL_SCANCODE_SLASH, vk::OEM_2},
        {SDLK_COLON, SDL_SCANCODE_PERIOD, vk::OEM_PERIOD},  // French layout
        {SDLK_MINUS, SDL_SCANCODE_SLASH, vk::OEM_2},        // German layout
        {SDLK_z, SDL_SCANCODE_SLASH, vk::letter('Z')},      // Dvorak keeps its Z
        {SDLK_PAUSE, SDL_SCANCODE_PAUSE, vk::PAUSE},
        {SDLK_F11, SDL_SCANCODE_F11, vk::F11},
    };
    for (const Case& c : cases) EXPECT_EQ(keyDownCode(key(c.symbol, c.scancode)), c.code) << c.symbol;
}

TEST(KeyTranslation, SystemKeysAreNotKeyDownsButAlwaysRelease) {
    EXPECT_EQ(keyDownCode(key(SDLK_F10, SDL_SCANCODE_F10)), 0);
    EXPECT_EQ(keyDownCode(key(SDLK_x, SDL_SCANCODE_X, KMOD_LALT)), 0);
    EXPECT_EQ(keyDownCode(key(SDLK_F4, SDL_SCANCODE_F4, KMOD_RALT)), 0);
    EXPECT_EQ(keyDownCode(key(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT)), 0);
    // Ctrl+Alt (AltGr) combinations are ordinary keys.
    EXPECT_EQ(keyDownCode(key(SDLK_q, SDL_SCANCODE_Q, KMOD_LALT | KMOD_LCTRL)), vk::letter('Q'));
    // Other modifiers do not change the code: Shift+A is A.
    EXPECT_EQ(keyDownCode(key(SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT)), vk::letter('A'));
    // A key held while Alt goes down must still be released.
    EXPECT_EQ(keyUpCode(key(SDLK_w, SDL_SCANCODE_W, KMOD_LALT)), vk::letter('W'));
    EXPECT_EQ(keyUpCode(key(SDLK_F10, SDL_SCANCODE_F10)), vk::F10);
}

}  // namespace
