// Puts the game's global state back to program start, with two players and a given arena.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game.h"

// Writes text to a fresh file under the test temp folder and returns its path.
std::string writeTempFile(const std::string& name, const std::string& text);

void setBlocks(const std::vector<PlayfieldBlock>& blocks);
PlayfieldBlock block(float xMin, float yMin, float xMax, float yMax);

// One frame as the app runs it, without drawing: the countdown step once per frame.
void runFrame();
void press(int key);  // a key-down message
void release(int key);

class GameTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts a regular match (F1) and releases the key; the tanks are at their start places.
    void startMatch(int startKey = 0x70);
    void placePlayer(int p, float x, float y, float heading, float turretAngle = 0);
};
