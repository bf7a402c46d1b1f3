#include "game/input_sources.h"

#include <cstring>

#include "platform/keys.h"

uint8_t KeyState[256];
uint8_t KeyPressed[256];

const TankKeys PlayerKeys[2] = {
    {vk::letter('A'), vk::letter('D'), vk::letter('Q'), vk::letter('E'), vk::letter('W'), vk::letter('S'),
     vk::letter('X')},
    {vk::numpad(4), vk::numpad(6), vk::numpad(7), vk::numpad(9), vk::numpad(8), vk::numpad(5), vk::numpad(2)}};

namespace {
bool valid(int key) { return key >= 0 && key < 256; }
bool down(int key) { return valid(key) && KeyState[key] != 0; }
bool pressed(int key) { return valid(key) && KeyPressed[key] != 0; }
}  // namespace

void keyDown(int key) {
    if (!valid(key)) return;
    KeyState[key] = 1;
    KeyPressed[key] = 1;
}

void keyUp(int key) {
    if (valid(key)) KeyState[key] = 0;
}

void clearKeys() {
    std::memset(KeyState, 0, sizeof KeyState);
    std::memset(KeyPressed, 0, sizeof KeyPressed);
}

Controls keyControls(const TankKeys& keys) {
    Controls controls = 0;
    const struct { int key; Control control; } Bits[] = {
        {keys.hullLeft, HullLeft},     {keys.hullRight, HullRight}, {keys.turretLeft, TurretLeft},
        {keys.turretRight, TurretRight}, {keys.forward, Forward},   {keys.backward, Backward},
        {keys.fire, FireHeld}};
    for (const auto& bit : Bits)
        if (down(bit.key)) controls |= bit.control;
    if (pressed(keys.fire)) controls |= FirePressed;
    return controls;
}

GameKeys keyGameKeys() {
    GameKeys keys = 0;
    const struct { int key; GameKey bit; } Levels[] = {
        {vk::F1, StartRegularKey},     {vk::F2, StartBouncingKey}, {vk::F3, StartSteerableKey},
        {vk::ESCAPE, LeaveHeld},       {vk::letter('P'), PauseLetterKey}, {vk::PAUSE, PauseKey}};
    for (const auto& level : Levels)
        if (down(level.key)) keys |= level.bit;
    if (pressed(vk::ESCAPE)) keys |= LeavePressed;
    return keys;
}

FrameInput keyFrameInput(int mouseStep, uint32_t clock) {
    FrameInput input{};
    for (int p = 0; p < 2; ++p) input.controls[p] = keyControls(PlayerKeys[p]);
    input.gameKeys = keyGameKeys();
    input.mouseStep = static_cast<int8_t>(mouseStep);
    input.clock = clock;
    std::memset(KeyPressed, 0, sizeof KeyPressed);
    return input;
}
