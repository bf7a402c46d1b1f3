// Drawing the world: cameras, the scene of one view, and the texture slots.
#pragma once

#include <cstdint>

extern int32_t activeCamera;  // camera of the view being drawn, set by the frame's view layout
// Client size of the window in pixels (height never 0). Defined here, written by the app's resizeGL;
// the lives display covers the whole window even in split screen, so it needs them.
extern int32_t windowWidth;   // 800 until the first resize
extern int32_t windowHeight;  // 600 until the first resize

enum TextureSlot { FontTexture = 0, FilledTexture = 1, TrackTexture = 2 };
// The font sheet's cells, as texture coordinates: 8 columns, rows 9/64 of the sheet high
// counted from the top. The title text and the powerup letters both read them.
constexpr float GLYPH_CELL_WIDTH = 0.125f;
constexpr float GLYPH_CELL_HEIGHT = 0.140625f;
extern unsigned textureNames[3];  // GL texture objects, generated together by initGL

void applyCamera();  // multiplies the modelview matrix by activeCamera's look-at
// The whole world for activeCamera into the current viewport. During a hit pause the pause
// advances in the frame's first view only, so split screen counts it once per frame too.
void drawScene(bool firstView = true);
bool loadTexture(const char* path, int slot);
void releaseTextureImage();  // frees the last loaded image at shut-down
