// What reaches KeyState besides the keyboard's own keys: the laptop keys that stand for player
// 2's keypad keys, and the pads that stand for each player's keys. Every source holds a key on
// its own, so releasing it on one source leaves it down while another still holds it.
#include "app/app.h"

#include "game/input_sources.h"
#include "platform/keys.h"

namespace {
uint8_t heldBy[256];  // KeySource bits

bool valid(int key) { return key > 0 && key < 256; }
}  // namespace

void pressKey(int key, unsigned source) {
    if (!valid(key)) return;
    heldBy[key] |= source;
    keyDown(key);
}

void releaseKey(int key, unsigned source) {
    if (!valid(key)) return;
    heldBy[key] &= ~source;
    if (!heldBy[key]) keyUp(key);
}

void releaseAllKeys() {
    for (int key = 0; key < 256; ++key) heldBy[key] = 0;
}

// Beside the arrows on every laptop: the arrows drive and turn, the two keys left of the right
// Shift turn the turret and the right Ctrl fires.
int laptopAlternative(int key) {
    const TankKeys& keys = PlayerKeys[1];
    switch (key) {
    case vk::LEFT: return keys.hullLeft;
    case vk::RIGHT: return keys.hullRight;
    case vk::UP: return keys.forward;
    case vk::DOWN: return keys.backward;
    case vk::OEM_PERIOD: return keys.turretLeft;
    case vk::OEM_2: return keys.turretRight;
    case vk::RCONTROL: return keys.fire;
    default: return 0;
    }
}

// Start starts a regular match on the title screen and pauses or resumes one that runs. Online,
// where this window has one player, every pad drives player 1's keys.
int padKey(int pad, platform::PadControl control) {
    if (pad < 0 || pad >= platform::MAX_PADS) return 0;
    const TankKeys& keys = PlayerKeys[onlineSessionOpen() ? 0 : pad];
    using platform::PadControl;
    switch (control) {
    case PadControl::Left: return keys.hullLeft;
    case PadControl::Right: return keys.hullRight;
    case PadControl::Up: return keys.forward;
    case PadControl::Down: return keys.backward;
    case PadControl::AimLeft: return keys.turretLeft;
    case PadControl::AimRight: return keys.turretRight;
    case PadControl::Fire: return keys.fire;
    case PadControl::Start: return game.matchRunning ? vk::PAUSE : vk::F1;
    case PadControl::Back: return vk::ESCAPE;
    }
    return 0;
}
