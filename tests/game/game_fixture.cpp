#include "tests/game/game_fixture.h"

#include <unistd.h>

#include <cstdio>

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

void setBlocks(Playfield& playfield, const std::vector<PlayfieldBlock>& blocks) {
    releasePlayfield(playfield);
    if (blocks.empty()) return;
    playfield.blocks = new PlayfieldBlock[blocks.size()];
    for (size_t i = 0; i < blocks.size(); ++i) playfield.blocks[i] = blocks[i];
    playfield.blockCount = static_cast<int32_t>(blocks.size());
}

PlayfieldBlock block(float xMin, float yMin, float xMax, float yMax) {
    return {xMin, yMin, xMax, yMax, 0.5f, 0.5f, 0.5f};
}

void GameTest::SetUp() {
    headless::answerAsSingleVoice(true);
    headless::clearRecords();
    clearKeys();
    resetGameState(game);
    ::initGame(game, writeTempFile("empty_arena.txt", "").c_str(), clock);
    headless::clearRecords();
}

void GameTest::TearDown() { releaseGame(game); }

FrameResult GameTest::runFrame() {
    const FrameResult result = advanceFrame(game, keyFrameInput(mouseStep, clock));
    viewerAfterFrame(viewer, game, result);
    play(result);
    return result;
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

FrameInput GameTest::keyInput() {
    const FrameInput input = keyFrameInput(mouseStep, clock);
    for (int p = 0; p < MAX_PLAYERS; ++p)
        game.fireLatch[p] = (input.controls[p] & FireHeld) && (game.fireLatch[p] || (input.controls[p] & FirePressed));
    return input;
}

void GameTest::controlTank(int p, const TankKeys& keys) {
    const Controls controls = keyControls(keys);
    keyInput();
    FrameResult result;
    ::controlTank(game, p, controls, mouseStep, result);
    play(result);
}

void GameTest::matchUpdate() {
    FrameResult result;
    ::matchUpdate(game, keyInput(), result);
    result.branch = FrameBranch::Match;
    viewerAfterFrame(viewer, game, result);
    play(result);
}

void GameTest::stepBullet(int i) {
    FrameResult result;
    ::stepBullet(game, i, result);
    play(result);
}

void GameTest::hitTank(int j) {
    FrameResult result;
    ::hitTank(game, j, result);
    play(result);
}

void GameTest::hitCountdownStep() {
    FrameResult result;
    ::hitCountdownStep(game, keyInput(), result);
    viewerAfterFrame(viewer, game, result);
    play(result);
}

void GameTest::restartPlay() {
    FrameResult result;
    ::restartPlay(game, clock, result);
    viewerAfterFrame(viewer, game, result);
}
