// The game's records and rules: players, bullets, the arena, powerups and the flow of a match.
// Plain global state with fixed-size records; each rule is a free function over them.
// Every speed and timer is counted in match updates (one per 10 ms frame).
#pragma once

#include <cstdint>

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
    int32_t splitCamera;         // this player's half in split screen: 0 chase, 1 turret
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

// ---- Texts the game shows (caption platform::ERROR_CAPTION) --------------------------------------
constexpr const char* PLAYER_MEMORY_FAILED = "Cannot allocate player memory";
constexpr const char* BULLET_MEMORY_FAILED = "Cannot allocate bullet memory";
constexpr const char* PLAYFIELD_OPEN_FAILED = "Cannot open playfield file";
constexpr const char* PLAYFIELD_MEMORY_FAILED = "Cannot allocate playfield memory";

// ---- Global state, grouped by lifetime ---------------------------------------------------------
// Each group has one function that sets its start values. The program starts with all three
// groups at their start values; tests call the same functions to begin afresh.

// The run: from start-up to shut-down. initGame makes the arrays and reads the arena.
extern uint8_t KeyState[256];   // 1 while a key is down, by virtual-key code; cleared to act once
extern int32_t playerCount;
extern Player* players;          // playerCount records
extern Bullet* bullets;          // one per player
extern Playfield playfield;
extern int32_t viewMode;         // a ViewMode, chosen with keys 1..7; kept from match to match
extern int32_t mouseStep;        // -1, 0 or +1 from the start-up mouse reading
// No key down, two players, the overview, no mouse step; the arrays and the arena are untouched.
void resetRunState();

// The match: what the match flow and its rules change.
extern GameMode gameMode;
extern bool matchRunning;
extern bool matchPaused;         // the P or Pause key stopped the running match
extern int32_t hitCountdown;     // -1 when no hit is being shown
extern int32_t hitPlayer;
extern bool engineWanted;
extern Powerup powerup;
extern int32_t spawnTimer;       // match updates until the next powerup may appear
// No match running, no hit shown, no powerup on the field.
void resetMatchState();

// The animation: values that only move what is drawn.
extern float frameTime;          // +0.01 at the end of every frame, whole orbits taken off after hours
extern float bulletSpin;         // degrees, +10 per match update, whole turns taken off after hours
extern float powerupSpin;        // degrees, +2 per match update, the same
extern float shieldPulse;        // shield alpha, swinging between 0.15 and 0.4
extern float shieldPulseStep;
// Turns a spin angle on by degrees (a whole number); see frame_rules.cpp for why it sheds turns.
void advanceSpin(float& spin, float degrees);
// Every animation at its first frame.
void resetAnimationState();

// ---- Match flow --------------------------------------------------------------------------------
void initGame();                            // reads the arena from the data folder's playfield.txt
void initGame(const char* playfieldPath);   // the same with another arena file
void restartPlay();
void releaseGame();        // frees the arrays and the playfield at shut-down
void startMatchKeys();     // F1, F2, F3: the first held key starts a match
bool leaveMatchKey();      // Escape: leaves the match; true when it was pressed
// P and Pause: each new press during a match stops or resumes it (the title screen ignores them).
// While paused nothing of the match advances, the hit countdown included.
void pauseKeys();
void matchUpdate();
void hitCountdownStep();   // run once per frame, by its first scene draw, while hitCountdown >= 0
void hitTank(int j);       // a hit without shield: the countdown starts and player j loses a life

// ---- Playfield and collision -------------------------------------------------------------------
void loadPlayfield(const char* path);
void releasePlayfield();   // frees the blocks; the playfield is empty afterwards
bool tryMove(int p, float dx, float dy, float dHeading, float dTurret);
bool bulletHitsBlock(const PlayfieldBlock& block, float nextX, float nextY);
bool powerupOverlapsBlock(float x, float y);

// ---- Tanks, bullets, powerups, sound -----------------------------------------------------------
struct TankKeys { int hullLeft, hullRight, turretLeft, turretRight, forward, backward, fire; };
extern const TankKeys PlayerKeys[2];  // player 0: A D Q E W S X; player 1: keypad 4 6 7 9 8 5 2
void controlTank(int p, const TankKeys& keys);
void stepBullet(int i);
bool bulletHitsTank(int j, int i);
void seedRandom(uint32_t seed);
uint32_t nextRandom();     // one draw of the generator: 0..32767
// With fixed set, every powerup reset seeds the generator with seed instead of the calendar time
// (for reproducible simulations and tests).
void setFixedRandomSeed(bool fixed, uint32_t seed);
int randomRange(int a, int b);
void resetPowerup();
void updatePowerup();
void engineLoopOn();
void engineLoopOff();
void playShotSound();
void playExplosionSound();
void resetSoundState();    // forgets a running engine loop (tests start from a quiet state)
