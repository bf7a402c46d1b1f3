// Shared set-up for the drawing tests: one real window and GL context per test process, the
// game's own initial GL state before each test, a small world of two tanks, pixel read-back and
// screenshots written under /tmp/tarvex-shots.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/game.h"

namespace testgl {

struct Rgb { int r, g, b; };

bool haveContext();  // creates the window and context on first use
void setView(int x, int y, int width, int height, double fovDegrees = 45.0);
void clearFrame();
Rgb pixel(int x, int y);                           // back buffer, origin bottom-left
// Window position of a world point under the current modelview (camera applied by the caller).
bool project(double wx, double wy, double wz, double& sx, double& sy);
Rgb pixelAtWorld(double wx, double wy, double wz);  // camera of activeCamera applied
void saveScreenshot(const std::string& name);       // /tmp/tarvex-shots/<name>.ppm
// Uploads a width x height RGB picture (packed rows, bottom row first) into a texture slot.
void uploadTexture(int slot, int width, int height, const std::vector<uint8_t>& rgb);
void clearTexture(int slot);  // gives the slot a fresh texture object without an image

// The game the drawing tests draw.
extern GameState world;
// A match-like world: the game's state at its start values, then two players at their start
// places with 5 lives, no bullets, no powerup, the given wall blocks and a match running.
void makeWorld(const PlayfieldBlock* blocks = nullptr, int blockCount = 0);
void releaseWorld();

bool near(const Rgb& c, int r, int g, int b, int tolerance = 6);
std::string describe(const Rgb& c);

// Fixture for every test that draws: skips without an X display.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace testgl
