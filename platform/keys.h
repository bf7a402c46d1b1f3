// Windows virtual-key codes, the codes that KeyState is indexed by.
#pragma once

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
}  // namespace vk
