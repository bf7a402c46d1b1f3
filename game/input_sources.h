// The local keyboard and pads as a source of frame input. The app's window procedure keeps the
// key table; each frame reads each player's controls and the game keys from it.
#pragma once

#include <cstdint>

#include "game/frame_input.h"

// 1 while a key is down, by virtual-key code (any source holding it: keyboard, laptop keys, pads).
extern uint8_t KeyState[256];
// 1 when a key-down of the key (a press or an auto-repeat) arrived since the last frame.
extern uint8_t KeyPressed[256];

struct TankKeys { int hullLeft, hullRight, turretLeft, turretRight, forward, backward, fire; };
extern const TankKeys PlayerKeys[2];  // player 0: A D Q E W S X; player 1: keypad 4 6 7 9 8 5 2

void keyDown(int key);   // a key-down message: the key is down and pressed
void keyUp(int key);
void clearKeys();        // no key down or pressed
Controls keyControls(const TankKeys& keys);
GameKeys keyGameKeys();
// This frame's input from the keys: both players' controls, the game keys, the mouse step and
// the clock; the presses are then used up.
FrameInput keyFrameInput(int mouseStep, uint32_t clock);
