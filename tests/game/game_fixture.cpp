#include "tests/game/game_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "game/frame.h"
#include "tests/game/recording_platform.h"

std::string writeTempFile(const std::string& name, const std::string& text) {
    // Tests run in parallel processes: each keeps its own files.
    const std::string path = testing::TempDir() + "/game_" + std::to_string(getpid()) + "_" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    return path;
}

void setBlocks(const std::vector<PlayfieldBlock>& blocks) {
    releasePlayfield();
    if (blocks.empty()) return;
    playfield.blocks = new PlayfieldBlock[blocks.size()];
    for (size_t i = 0; i < blocks.size(); ++i) playfield.blocks[i] = blocks[i];
    playfield.blockCount = static_cast<int32_t>(blocks.size());
}

PlayfieldBlock block(float xMin, float yMin, float xMax, float yMax) {
    return {xMin, yMin, xMax, yMax, 0.5f, 0.5f, 0.5f};
}

void runFrame() {
    int cameras[2];
    const int views = frameViews(cameras);
    for (int v = 0; v < views; ++v)
        if (hitCountdown >= 0) hitCountdownStep();
    runFrameRules();
    endFrame();
}

void press(int key) { KeyState[key] = 1; }
void release(int key) { KeyState[key] = 0; }

void GameTest::SetUp() {
    recording::clear();
    std::memset(KeyState, 0, sizeof KeyState);
    playerCount = 2;
    gameMode = Regular;
    viewMode = 0;
    matchRunning = false;
    matchPaused = false;
    hitCountdown = -1;
    hitPlayer = -1;
    engineWanted = false;
    frameTime = 0;
    bulletSpin = 0;
    powerup = {0, 0, 0, 0};
    spawnTimer = 300;
    powerupSpin = 0;
    shieldPulse = 0.2f;
    shieldPulseStep = 0.01f;
    mouseStep = 0;
    resetSoundState();
    setFixedRandomSeed(true, 12345);
    initGame(writeTempFile("empty_arena.txt", "").c_str());
    recording::clear();
}

void GameTest::TearDown() {
    releaseGame();
    setFixedRandomSeed(false, 0);
}

void GameTest::startMatch(int startKey) {
    press(startKey);
    runFrame();
    release(startKey);
}

void GameTest::placePlayer(int p, float x, float y, float heading, float turretAngle) {
    players[p].x = x;
    players[p].y = y;
    players[p].heading = heading;
    players[p].turretAngle = turretAngle;
}
