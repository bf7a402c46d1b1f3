// Windows virtual-key codes, the codes that KeyState is indexed by, and the names of the keys the
// program reads. Plain C++: the game, the tools and every backend include it.
#pragma once

#include <cstddef>
#include <string_view>

namespace vk {
constexpr int BACK = 0x08;  // Backspace
constexpr int TAB = 0x09;
constexpr int RETURN = 0x0D;
constexpr int SHIFT = 0x10;
constexpr int CONTROL = 0x11;
constexpr int MENU = 0x12;  // Alt
constexpr int PAUSE = 0x13;
constexpr int ESCAPE = 0x1B;
constexpr int SPACE = 0x20;
constexpr int PRIOR = 0x21;  // Page Up
constexpr int NEXT = 0x22;   // Page Down
constexpr int END = 0x23;
constexpr int HOME = 0x24;
constexpr int LEFT = 0x25;
constexpr int UP = 0x26;
constexpr int RIGHT = 0x27;
constexpr int DOWN = 0x28;
constexpr int INSERT = 0x2D;
constexpr int DELETE_KEY = 0x2E;  // not DELETE: Windows' headers take that name for a macro
constexpr int KEY_0 = 0x30;  // '0'..'9' are 0x30..0x39
constexpr int KEY_A = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr int NUMPAD0 = 0x60;  // keypad digits 0x60..0x69
constexpr int MULTIPLY = 0x6A;  // the keypad's operators and decimal point
constexpr int ADD = 0x6B;
constexpr int SUBTRACT = 0x6D;
constexpr int DECIMAL = 0x6E;
constexpr int DIVIDE = 0x6F;
constexpr int F1 = 0x70;       // F1..F12 are 0x70..0x7B
constexpr int F2 = 0x71;
constexpr int F3 = 0x72;
constexpr int F4 = 0x73;
constexpr int F5 = 0x74;
constexpr int F6 = 0x75;
constexpr int F7 = 0x76;
constexpr int F8 = 0x77;
constexpr int F10 = 0x79;
constexpr int F11 = 0x7A;
constexpr int F12 = 0x7B;
constexpr int RCONTROL = 0xA3;    // the right Ctrl key on its own
constexpr int OEM_PERIOD = 0xBE;  // the key that types '.' on a US keyboard
constexpr int OEM_2 = 0xBF;       // the key that types '/' on a US keyboard

constexpr int digit(int d) { return KEY_0 + d; }
constexpr int letter(char upper) { return KEY_A + (upper - 'A'); }
constexpr int numpad(int d) { return NUMPAD0 + d; }

// ---- Key names ---------------------------------------------------------------------------------
// One name for every key that the game or the app reads, as the tools' key scripts and messages
// write it: upper case, as on the key (keypad digits KP1..KP9). The title's pages spell the same
// names in lower case; names are compared without regard to case.
struct KeyName {
    const char* name;
    int code;
};

constexpr KeyName KEY_NAMES[] = {
    {"F1", F1}, {"F2", F2}, {"F3", F3}, {"F4", F4}, {"F5", F5}, {"F6", F6}, {"F7", F7}, {"F8", F8},
    {"F11", F11}, {"F12", F12}, {"ESC", ESCAPE}, {"P", letter('P')}, {"PAUSE", PAUSE}, {"F", letter('F')},
    {"ENTER", RETURN}, {"BACKSPACE", BACK},
    {"1", digit(1)}, {"2", digit(2)}, {"3", digit(3)}, {"4", digit(4)}, {"5", digit(5)},
    {"6", digit(6)}, {"7", digit(7)}, {"Z", letter('Z')},
    // Player 1's tank.
    {"A", letter('A')}, {"D", letter('D')}, {"Q", letter('Q')}, {"E", letter('E')},
    {"W", letter('W')}, {"S", letter('S')}, {"X", letter('X')},
    // Player 2's tank on the keypad (KP1 is player 2's camera key), and the keys that stand for it
    // on a keyboard without one.
    {"KP1", numpad(1)}, {"KP2", numpad(2)}, {"KP4", numpad(4)}, {"KP5", numpad(5)},
    {"KP6", numpad(6)}, {"KP7", numpad(7)}, {"KP8", numpad(8)}, {"KP9", numpad(9)},
    {"LEFT", LEFT}, {"RIGHT", RIGHT}, {"UP", UP}, {"DOWN", DOWN}, {".", OEM_PERIOD}, {"/", OEM_2},
    {"RCTRL", RCONTROL},
};

constexpr char upperCase(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr bool sameKeyName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperCase(a[i]) != upperCase(b[i])) return false;
    return true;
}

// The code of the key with that name, or -1.
constexpr int keyCode(std::string_view name) {
    for (const KeyName& key : KEY_NAMES)
        if (sameKeyName(name, key.name)) return key.code;
    return -1;
}

// The name of the key with that code, or null.
constexpr const char* keyName(int code) {
    for (const KeyName& key : KEY_NAMES)
        if (key.code == code) return key.name;
    return nullptr;
}

constexpr bool eachKeyNamedOnce() {
    for (const KeyName& a : KEY_NAMES)
        for (const KeyName& b : KEY_NAMES)
            if (&a != &b && (a.code == b.code || sameKeyName(a.name, b.name))) return false;
    return true;
}
static_assert(eachKeyNamedOnce(), "a key with two names or a name for two keys");
}  // namespace vk
