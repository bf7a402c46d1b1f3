// The computer player: it sees what a player sees on the screen and answers with the same
// controls a person has, one frame at a time. Levels 1 to 3 differ in how late they see,
// how well they aim and how far ahead they look, never in the rules they play by.
#pragma once

#include <cstdint>
#include <vector>

#include "game/frame_input.h"
#include "game/game.h"

// Everything the screen shows of one frame, and nothing more (no random generator, no timers
// that are not drawn).
struct ComputerSight {
    Player tanks[2] = {};
    Bullet bullets[2] = {};
    Powerup powerup = {};
    const PlayfieldBlock* walls = nullptr;
    int wallCount = 0;
    GameMode mode = Regular;
    bool matchRunning = false;
    bool hitShown = false;  // a hit is being shown: nothing moves
};

// What the computer remembers of one frame it saw (its view lags by its level's delay).
struct SeenFrame {
    Player tank;        // the opponent
    Bullet bullet;      // the opponent's bullet
    Powerup powerup;
};

// Free space of the arena on a grid of unit cells, and the distance of each cell from the
// current goal, grown a few thousand cells per frame. Made again when the sight shows another
// wall array or count.
struct ComputerMap {
    static constexpr int WIDTH = 86, HEIGHT = 64;  // cells of 1 x 1 over -43..43 x -32..32
    const PlayfieldBlock* walls = nullptr;         // the arena the map was made for
    int wallCount = -1;
    std::vector<uint8_t> clearance;   // tenths of a unit to the nearest wall, at most 40
    // Cells of a quarter unit a bullet dies or bounces in (any part within reach of a wall box),
    // for following a steered bullet ahead without looking at every wall.
    static constexpr int BULLET_CELLS = 4;  // per unit
    std::vector<uint8_t> bulletWall;
    std::vector<uint16_t> distance;   // steps to the goal of the finished search; NO_PATH if none
    std::vector<uint16_t> growing;    // the search under way
    std::vector<int16_t> queue;       // cells waiting to be grown from, by index
    int queueHead = 0, queueTail = 0;
    bool searching = false;
};

struct ComputerPlayer {
    int level = 3;             // 1, 2 or 3
    uint32_t randomState = 1;  // its own generator
    ComputerMap map;
    SeenFrame seen[32] = {};   // ring of frames seen, newest at seenCount - 1
    int seenCount = 0;
    // The plan: where it goes, and until when.
    float goalX = 0, goalY = 0;
    int replanIn = 0;
    int wanderFor = 0;         // frames left of going to a random place (after being held up)
    // Held up: frames in which its drive or hull turn did not happen, and the way out.
    float lastX = 0, lastY = 0, lastHeading = 0, lastTurret = 0;
    Controls lastControls = 0;
    int blockedFrames = 0;
    int backOffFor = 0;
    Controls backOffControls = 0;
    // Not moving: where it stood every few frames, and for how many frames it stayed in one place.
    float trailX[48] = {}, trailY[48] = {};
    int trailCount = 0;        // places kept (counting on past the ring's size, to keep its order)
    int stillFrames = 0;
    // Getting away after standing still: a planned turn on the spot (if any) then a drive, held
    // until the tank is clear of every place it stood at in that stretch, or the plan runs out.
    float stillFromX[48] = {}, stillFromY[48] = {};
    int stillFromCount = 0;
    int escapeFor = 0;
    int escapeSpinFor = 0;
    Controls escapeSpin = 0, escapeDrive = 0;
    // Aim: the error of the next shot (degrees), a found bounce shot and whether fire is down.
    float aimError = 0;
    float bounceAngle = 0;
    int bounceValidFor = 0;
    int faceCursor = 0;
    float coverAngle = 0;      // a safe direction for a shot fired anyway, and for how long it is kept
    int coverFor = 0;
    bool fireDown = false;
    int parkTurretFor = 0;     // frames the turret stays off the target to keep its barrel clear
};

// What the screen shows of the game now.
ComputerSight sightOf(const GameState& game);

// A computer of the given level (clamped to 1..3) with its generator seeded.
ComputerPlayer makeComputer(int level, uint32_t seed);

// One frame's controls for player me (0 or 1). Never holds both of a pair of opposite
// controls, and presses fire only together with holding it.
Controls thinkComputer(ComputerPlayer& ai, int me, const ComputerSight& sight);
