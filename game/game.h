// The game's records and rules: players, bullets, the arena, powerups and the flow of a match.
// Plain global state with fixed-size records; each rule is a free function over them.
// Every speed and timer is counted in match updates (one per 10 ms frame).
#pragma once

#include <cstdint>

#include "game/frame_input.h"

// ---- Records -----------------------------------------------------------------------------------
struct Player {
    float x, y;                  // centre of the tank, world units
    float red, green, blue;      // tank colour, 0..1
    float heading;               // hull direction, degrees counter-clockwise from +x, not wrapped
    float turretAngle;           // relative to the hull, degrees, not wrapped
    float rightTrackScroll;      // tread texture offset, kept within 0..2
    float leftTrackScroll;
    int32_t lives;               // START_LIVES at match start
    int32_t powerupKind;         // 0 none, or a PowerupKind
    int32_t powerupTimer;        // updates left for powerupKind
};

struct Bullet {
    float x, y;       // world position
    float vx, vy;     // movement per step
    float heading;    // degrees; steers the velocity in the Steerable variant
    int32_t life;     // match updates left; negative = empty slot
};

struct PlayfieldBlock {
    float xMin, yMin, xMax, yMax;  // world units, min <= max
    float red, green, blue;        // wall colour, at most 1
};

struct Playfield {
    int32_t blockCount = 0;
    PlayfieldBlock* blocks = nullptr;  // blockCount records in file order
};

struct Powerup {
    int32_t life;  // updates left on the field; > 0 means a powerup is there
    float x, y;    // always whole numbers
    int32_t kind;  // PowerupKind given to the collector
};

enum GameMode { Regular, Bouncing, Steerable };
enum PowerupKind { NoPowerup = 0, TankSpeed = 1, BulletSpeed = 2, Shield = 3, RapidFire = 4 };
// ViewMode: 0 overview, 1 orbit, 2/3 chase p0/p1, 4/5 turret p0/p1, 6 split screen.
enum ViewMode { OverviewView, OrbitView, ChaseView0, ChaseView1, TurretView0, TurretView1, SplitView };

constexpr float DEG_TO_RAD = 0.017453292f;

// ---- Rule constants shared by several rule files -----------------------------------------------
constexpr int32_t START_LIVES = 5;
constexpr float BULLET_SPEED = 0.3f;         // distance per bullet step
constexpr float BULLET_WALL_MARGIN = 0.14f;  // a bullet meets a wall box grown by this much
// The tank's hull box in tank coordinates: forward and rear reach, half the width.
constexpr float TANK_FRONT = 2.3f;
constexpr float TANK_REAR = 2.1f;
constexpr float TANK_HALF_WIDTH = 1.55f;
constexpr float MIN_TANK_DISTANCE_SQUARED = 23.04f;  // tank centres stay 4.8 units apart
// The arena file's coordinates -100..100 scaled into the world: the floor spans x -43..43, y -32..32.
constexpr float PLAYFIELD_X_SCALE = 0.43f;
constexpr float PLAYFIELD_Y_SCALE = 0.32f;
constexpr float ARENA_HALF_WIDTH = 100 * PLAYFIELD_X_SCALE;
constexpr float ARENA_HALF_HEIGHT = 100 * PLAYFIELD_Y_SCALE;
// Timers, in match updates.
constexpr int32_t HIT_COUNTDOWN_START = 150;  // the hit is shown for this many frames and one more
constexpr int32_t EFFECT_DURATION = 1000;     // a collected powerup's effect
constexpr int32_t BULLET_LIFE = 200;
constexpr int32_t RAPID_BULLET_LIFE = 600;    // a bullet fired with rapid fire

// ---- Texts the game shows (caption platform::ERROR_CAPTION) --------------------------------------
constexpr const char* PLAYER_MEMORY_FAILED = "Cannot allocate player memory";
constexpr const char* BULLET_MEMORY_FAILED = "Cannot allocate bullet memory";
constexpr const char* PLAYFIELD_OPEN_FAILED = "Cannot open playfield file";
constexpr const char* PLAYFIELD_MEMORY_FAILED = "Cannot allocate playfield memory";

// ---- The game state ----------------------------------------------------------------------------
// Everything the rules read and write, in one record, so that several games can live in one
// process and a game can be saved, restored and hashed (game/state_bytes.h). What only the viewer
// chooses (the camera, the split-screen halves) lives in a Viewer (game/viewer.h), never here.
struct GameState {
    // The players and their bullets, one bullet slot per player.
    int32_t playerCount;
    Player players[MAX_PLAYERS];
    Bullet bullets[MAX_PLAYERS];
    // The match.
    GameMode gameMode;
    bool matchRunning;
    bool matchPaused;          // the P or Pause key stopped the running match
    int32_t hitCountdown;      // -1 when no hit is being shown
    int32_t hitPlayer;
    bool engineWanted;         // a tank drove or turned in the last match update
    Powerup powerup;
    int32_t spawnTimer;        // match updates until the next powerup may appear
    uint32_t randomState;      // the powerup generator, seeded from the clock at each reset
    // What the keys left set between frames: a fire or Escape press not yet used, and the pause
    // keys' levels in the last frame (only a new press toggles the pause).
    bool fireLatch[MAX_PLAYERS];
    bool leaveLatch;
    bool pauseKeyWasDown[2];
    // The animation: values that only move what is drawn, advanced by the frames.
    float frameTime;           // +0.01 at the end of every frame, whole orbits taken off after hours
    float bulletSpin;          // degrees, +10 per match update, whole turns taken off after hours
    float powerupSpin;         // degrees, +2 per match update, the same
    float shieldPulse;         // shield alpha, swinging between 0.15 and 0.4
    float shieldPulseStep;
    // The arena: read from its file at start-up and never changed by a frame (not saved).
    Playfield playfield;
};

// Every value at its start: two players, no match, no hit, no powerup, the first animation frame.
// The arena is left as it is.
void resetGameState(GameState& game);
void resetMatchState(GameState& game);      // no match running, no hit shown, no powerup
void resetAnimationState(GameState& game);  // every animation at its first frame
// Turns a spin angle on by degrees (a whole number); see frame_rules.cpp for why it sheds turns.
void advanceSpin(float& spin, float degrees);

// ---- Match flow --------------------------------------------------------------------------------
// Resets the game and reads the arena (the data folder's playfield.txt, or another file); the
// tanks stand at their start places and the generator is seeded with clock.
void initGame(GameState& game, uint32_t clock);
void initGame(GameState& game, const char* playfieldPath, uint32_t clock);
void restartPlay(GameState& game, uint32_t clock, FrameResult& result);
void releaseGame(GameState& game);  // frees the arena at shut-down
// The frame's keys that act on the whole game: P and Pause (each new press during a match stops
// or resumes it; the title screen ignores them), F1/F2/F3 (the first held key starts a match),
// Escape (leaves the match; true when it was pressed).
void pauseKeys(GameState& game, const FrameInput& input, FrameResult& result);
void startMatchKeys(GameState& game, const FrameInput& input, FrameResult& result);
bool leaveMatchKey(GameState& game, FrameResult& result);
void matchUpdate(GameState& game, const FrameInput& input, FrameResult& result);
void hitCountdownStep(GameState& game, const FrameInput& input, FrameResult& result);
// A hit without shield: the countdown starts and player j loses a life.
void hitTank(GameState& game, int j, FrameResult& result);
void addSound(FrameResult& result, SoundEvent sound);

// ---- Playfield and collision -------------------------------------------------------------------
void loadPlayfield(Playfield& playfield, const char* path);
void releasePlayfield(Playfield& playfield);  // frees the blocks; the playfield is empty afterwards
bool tryMove(const GameState& game, int p, float dx, float dy, float dHeading, float dTurret);
bool bulletHitsBlock(const PlayfieldBlock& block, float nextX, float nextY);
bool powerupOverlapsBlock(const Playfield& playfield, float x, float y);

// ---- Tanks, bullets, powerups ------------------------------------------------------------------
// One control step of tank p from its controls (and the mouse step, which turns every turret).
void controlTank(GameState& game, int p, Controls controls, int mouseStep, FrameResult& result);
void stepBullet(GameState& game, int i, FrameResult& result);
bool bulletHitsTank(const GameState& game, int j, int i);
uint32_t nextRandom(GameState& game);  // one draw of the generator: 0..32767
int randomRange(GameState& game, int a, int b);
void resetPowerup(GameState& game, uint32_t clock);  // clears the field, seeds the generator
void updatePowerup(GameState& game);
