// The pieces drawScene is made of, one source file per topic. Declared here so that the scene
// order and the tests can call each piece on its own.
#pragma once

#include <cstdint>
#include <memory>

struct GameState;

struct RgbImage;

// ---- Cameras (camera.cpp) ----------------------------------------------------------------------
struct LookAt {
    float eye[3];
    float centre[3];
    float up[3];
};
LookAt cameraLookAt(const GameState& game, int camera);                // the camera table; unknown numbers: the overview
void lookAtMatrix(const LookAt& view, float m[16]);  // column-major, as the GL look-at builds it

// ---- Tank model (tank_model.cpp) ---------------------------------------------------------------
void drawTank(const GameState& game, int p);
void drawTurret(float turretAngle, float red, float green, float blue);

// ---- Arena (arena.cpp) -------------------------------------------------------------------------
void drawFloor();
void drawWalls(const GameState& game);
void drawBackdrop();

// ---- Textures (textures.cpp) -------------------------------------------------------------------
const RgbImage* lastLoadedImage();  // the image kept from the most recent loadTexture, or null

// ---- Bullets, shields, powerup (effects.cpp) ---------------------------------------------------
void drawBullets(const GameState& game);
void drawShield(const GameState& game, int p);
void drawPowerup(const GameState& game);
bool powerupIconCell(int kind, float& cu, float& cv);  // false for kinds outside 1..4

// ---- Lives digits (lives.cpp) ------------------------------------------------------------------
// Each glyph is (x, y) pairs; x above 900 starts the next polygon, x of -900 or less ends it.
extern const float* const DigitGlyphs[10];
void drawLives(const GameState& game);
void drawDigit(int value, float cx, float cy, float z, float scale);
