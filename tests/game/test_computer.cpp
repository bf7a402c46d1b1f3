// The computer player in short set-ups played through the game's own rules: player 0 is the
// computer, player 1 stands still with no controls.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "game/computer.h"
#include "platform/keys.h"
#include "tests/game/game_fixture.h"

namespace {

struct Pose {
    float x, y, heading, turret;
};

enum class Expect { Hits, NotHit, CollectsPowerup, GetsAway };

struct Case {
    const char* name;
    Expect expect;
    int frames;
    Pose computer, other;
    GameMode mode = Regular;
    Bullet incoming = {0, 0, 0, 0, 0, -1};  // player 1's bullet at the start
    Powerup powerup = {0, 0, 0, 0};
    bool defaultArena = false;  // data/playfield.txt instead of the walls below
    bool shielded = false;      // the other tank's shield takes the first hit
};

const float NaN = std::numeric_limits<float>::quiet_NaN();

// The arena's outer walls, a wall across the middle open at the bottom, and a closed room in
// the top right corner.
std::vector<PlayfieldBlock> testArena() {
    return {block(-43, 30.72f, 43, 32),      block(-43, -32, 43, -30.72f),
            block(-43, -30.72f, -41.28f, 30.72f), block(41.28f, -30.72f, 43, 30.72f),
            block(-3, -18, 3, 30.72f),
            block(28, 18, 41.28f, 19), block(28, 18, 29, 30.72f)};
}

struct Outcome {
    bool controlsValid = true;
    int longestStill = 0;  // frames in a row within 4.4 units, no own bullet in flight
    float farthest = 0;    // from the start place
};

bool validControls(Controls c) {
    return !((c & HullLeft) && (c & HullRight)) && !((c & TurretLeft) && (c & TurretRight)) &&
           !((c & Forward) && (c & Backward)) && !((c & FirePressed) && !(c & FireHeld));
}

class Computer : public GameTest {
protected:
    Outcome play(const Case& c) {
        if (c.defaultArena) loadPlayfield(playfield, "data/playfield.txt");
        else setBlocks(testArena());
        startMatch(c.mode == Regular ? vk::F1 : c.mode == Bouncing ? vk::F2 : vk::F3);
        placePlayer(0, c.computer.x, c.computer.y, c.computer.heading, c.computer.turret);
        placePlayer(1, c.other.x, c.other.y, c.other.heading, c.other.turret);
        bullets[1] = c.incoming;
        powerup = c.powerup;
        spawnTimer = 100000;
        if (c.shielded) players[1].powerupKind = Shield, players[1].powerupTimer = 100000;
        ComputerPlayer ai = makeComputer(3, 7);
        Outcome outcome;
        float anchorX = players[0].x, anchorY = players[0].y;
        int still = 0;
        for (int frame = 0; frame < c.frames && hitCountdown < 0; ++frame) {
            FrameInput input = {};
            input.clock = clock;
            input.controls[0] = thinkComputer(ai, 0, sightOf(game));
            outcome.controlsValid &= validControls(input.controls[0]);
            advanceFrame(game, input);
            const Player& me = players[0];
            outcome.farthest = std::max(outcome.farthest, std::hypot(me.x - c.computer.x, me.y - c.computer.y));
            if (std::hypot(me.x - anchorX, me.y - anchorY) > 4.4f || bullets[0].life > 0) {
                anchorX = me.x, anchorY = me.y, still = 0;
            } else {
                outcome.longestStill = std::max(outcome.longestStill, ++still);
            }
            if (c.expect == Expect::CollectsPowerup && me.powerupKind == c.powerup.kind) break;
            if (c.expect == Expect::GetsAway && outcome.farthest > 12.0f) break;
        }
        return outcome;
    }
};

const Case Cases[] = {
    {"fires at a still target in clear line of fire", Expect::Hits, 600, {-30, -24, 90, 0}, {-10, -24, 90, 0}},
    {"hits a target behind a wall with bouncing bullets", Expect::Hits, 1500, {-20, -5, 90, 0}, {20, 5, 90, 0},
     Bouncing},
    {"hits a target with steerable bullets", Expect::Hits, 900, {-30, -24, 90, 30}, {-10, -24, 90, 0}, Steerable},
    // The other tank, shielded, stands in line of fire far off: the computer drives at it.
    {"leaves the path of a bullet aimed where it is going", Expect::NotHit, 250, {-30, -24, 0, 0},
     {35, -24, 180, 0}, Regular, {-25.4f, -4, 0, -0.3f, 270, 199}, {}, false, true},
    {"reaches a powerup behind a wall", Expect::CollectsPowerup, 3000, {-10, 0, 90, 0}, {35, 25, 180, 0},
     Regular, {0, 0, 0, 0, 0, -1}, {5000, 12, 0, Shield}},
    {"gets out of a corner pocket it faces into", Expect::GetsAway, 1500, {-38, 27, 90, 0}, {37.5f, 0, 180, 0},
     Regular, {0, 0, 0, 0, 0, -1}, {0, 0, 0, 0}, true},
    {"gets out of a tight corner facing the wall", Expect::GetsAway, 1500, {-38, -27.5f, 225, 0}, {35, 25, 180, 0}},
};

TEST_F(Computer, PlaysEachSetUpAsExpected) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const Outcome outcome = play(c);
        EXPECT_TRUE(outcome.controlsValid);
        EXPECT_LT(outcome.longestStill, 300);
        switch (c.expect) {
        case Expect::Hits:
            EXPECT_EQ(hitPlayer, 1);
            EXPECT_EQ(players[1].lives, START_LIVES - 1);
            break;
        case Expect::NotHit:
            EXPECT_EQ(players[0].lives, START_LIVES);
            break;
        case Expect::CollectsPowerup:
            EXPECT_EQ(players[0].powerupKind, c.powerup.kind);
            break;
        case Expect::GetsAway:
            EXPECT_GT(outcome.farthest, 12.0f);
            break;
        }
        TearDown();
    }
}

// Broken numbers in what it sees (a tank or a wall at NaN, a huge bullet) give plain controls.
TEST(ComputerSight, BrokenNumbersGiveValidControls) {
    const PlayfieldBlock walls[2] = {{NaN, 0, 1, 1, 0, 0, 0}, {-1e30f, -1e30f, 1e30f, -31, 0, 0, 0}};
    ComputerSight sight;
    sight.walls = walls;
    sight.wallCount = 2;
    sight.matchRunning = true;
    sight.mode = Bouncing;
    sight.tanks[0] = {1e20f, -1e20f, 0, 0, 0, 1e30f, -1e30f, 0, 0, 5, 0, 0};
    sight.tanks[1] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0};
    sight.bullets[0] = {NaN, 0, 1e30f, NaN, 0, 600};
    sight.bullets[1] = {0, 0, 0.3f, 0, 0, 0x7FFFFFFF};
    ComputerPlayer ai = makeComputer(9, 1);
    for (int frame = 0; frame < 50; ++frame) {
        EXPECT_TRUE(validControls(thinkComputer(ai, frame % 2, sight)));
        sight.tanks[1].x = frame % 3 ? NaN : 3.0f;
    }
}

}  // namespace
