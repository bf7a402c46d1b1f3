// A fresh game for each test: two players on an empty arena, the keys up, the generator seeded
// with a fixed clock. The fixture's game is reached under the names the records have, and the
// rules are called on it with the keys' controls, so that each test reads like the rule it checks.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/frame_rules.h"
#include "game/game.h"
#include "game/input_sources.h"
#include "game/sound.h"
#include "game/viewer.h"
#include "platform/headless/headless.h"

// The game tests run on the headless backend, which records the message boxes and the wave plays;
// its wave player answers as the single-voice player would.
namespace headless = platform::headless;

// Writes text to a fresh file under the test temp folder and returns its path.
std::string writeTempFile(const std::string& name, const std::string& text);
PlayfieldBlock block(float xMin, float yMin, float xMax, float yMax);
void setBlocks(Playfield& playfield, const std::vector<PlayfieldBlock>& blocks);

class GameTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    GameState game{};
    Viewer viewer;
    SoundPlayer sounds;
    uint32_t clock = 12345;  // what every powerup reset seeds the generator with
    int mouseStep = 0;

    // The fixture's game under the records' names.
    Player* const players = game.players;
    Bullet* const bullets = game.bullets;
    int32_t& playerCount = game.playerCount;
    GameMode& gameMode = game.gameMode;
    bool& matchRunning = game.matchRunning;
    bool& matchPaused = game.matchPaused;
    int32_t& hitCountdown = game.hitCountdown;
    int32_t& hitPlayer = game.hitPlayer;
    bool& engineWanted = game.engineWanted;
    Powerup& powerup = game.powerup;
    int32_t& spawnTimer = game.spawnTimer;
    Playfield& playfield = game.playfield;
    float& bulletSpin = game.bulletSpin;
    float& powerupSpin = game.powerupSpin;
    float& shieldPulse = game.shieldPulse;
    float& frameTime = game.frameTime;
    int32_t& viewMode = viewer.viewMode;

    // One frame as the app runs it, without drawing: the keys' input, the frame, the viewer and
    // the sounds.
    FrameResult runFrame();
    void press(int key) { keyDown(key); }  // a key-down message
    void release(int key) { keyUp(key); }
    // Starts a match (F1 by default) and releases the key; the tanks are at their start places.
    void startMatch(int startKey = 0x70);
    void placePlayer(int p, float x, float y, float heading, float turretAngle = 0);
    void setBlocks(const std::vector<PlayfieldBlock>& blocks) { ::setBlocks(game.playfield, blocks); }

    // Single rules on the fixture's game, with the keys' controls; their sounds are played.
    FrameInput keyInput();  // the keys' input now, presses latched into the game
    void controlTank(int p, const TankKeys& keys);
    void matchUpdate();
    void stepBullet(int i);
    bool tryMove(int p, float dx, float dy, float dHeading, float dTurret) {
        return ::tryMove(game, p, dx, dy, dHeading, dTurret);
    }
    bool bulletHitsTank(int j, int i) { return ::bulletHitsTank(game, j, i); }
    bool powerupOverlapsBlock(float x, float y) { return ::powerupOverlapsBlock(game.playfield, x, y); }
    void hitTank(int j);
    void hitCountdownStep();
    void restartPlay();
    void resetPowerup() { ::resetPowerup(game, clock); }
    void updatePowerup() { ::updatePowerup(game); }
    int randomRange(int a, int b) { return ::randomRange(game, a, b); }
    void initGame(const char* path) { ::initGame(game, path, clock); }

private:
    void play(const FrameResult& result) { playFrameSounds(sounds, result); }
};
