// What one frame of the game takes from outside and gives back: each player's controls, the keys
// that act on the whole game, the outside readings the rules use, and the sounds they asked for.
// Whoever feeds a player (the keyboard and pads, the computer, a replay, the network) fills the
// same byte; the rules never know which.
#pragma once

#include <cstdint>

constexpr int MAX_PLAYERS = 4;  // the start places the arena has

// One player's controls for one frame, a bit each. Fire is two bits: FireHeld while the fire key
// is down, FirePressed when a key-down of it (a press or the keyboard's auto-repeat) arrived since
// the last frame. A shot needs a press that no earlier shot used (the tap rule).
enum Control : uint8_t {
    HullLeft = 1 << 0,
    HullRight = 1 << 1,
    TurretLeft = 1 << 2,
    TurretRight = 1 << 3,
    Forward = 1 << 4,
    Backward = 1 << 5,
    FireHeld = 1 << 6,
    FirePressed = 1 << 7,
};
using Controls = uint8_t;

// The keys that act on the whole game, a bit each: levels for the start keys and the two pause
// keys; Escape, like fire, is held and pressed.
enum GameKey : uint8_t {
    StartRegularKey = 1 << 0,    // F1
    StartBouncingKey = 1 << 1,   // F2
    StartSteerableKey = 1 << 2,  // F3
    LeaveHeld = 1 << 3,          // Escape down
    LeavePressed = 1 << 4,       // a key-down of Escape since the last frame
    PauseLetterKey = 1 << 5,     // P down
    PauseKey = 1 << 6,           // Pause down
};
using GameKeys = uint8_t;

struct FrameInput {
    Controls controls[MAX_PLAYERS];  // player 0 first
    GameKeys gameKeys;
    int8_t mouseStep;   // -1, 0 or +1: the start-up mouse reading, which turns every turret
    uint32_t clock;     // calendar seconds; each powerup reset seeds the generator with it
};

// The sounds the rules asked for in one frame, in order; the caller plays them (a frame run again
// plays nothing a second time).
enum class SoundEvent : uint8_t { Shot, Explosion, EngineOn, EngineOff };
constexpr int MAX_FRAME_SOUNDS = 8;

// The branch that a frame took.
enum class FrameBranch : uint8_t {
    Countdown,  // a hit is being shown: neither the match nor the title screen advanced
    Match,      // a match update ran (the caller stops the title music)
    Title,      // the title screen shows (the caller draws it and starts the title music)
    Paused      // the match is paused: nothing advanced (the caller marks the picture paused)
};

struct FrameResult {
    FrameBranch branch = FrameBranch::Title;
    bool playRestarted = false;  // the tanks went back to their start places this frame
    uint8_t soundCount = 0;
    SoundEvent sounds[MAX_FRAME_SOUNDS] = {};
};
