// Drawing the world: cameras, the scene of one view, and the texture slots.
#pragma once

#include <cstdint>

struct GameState;

extern int32_t activeCamera;  // camera of the view being drawn, set by the frame's view layout

// ---- View layout (view_layout.cpp) -------------------------------------------------------------
// Client size of the window in pixels (height never 0), written by resizeGL; the views, and the
// lives display that covers the whole window even in split screen, are laid out in it.
constexpr int32_t WINDOW_WIDTH = 800;   // the window's size when it opens
constexpr int32_t WINDOW_HEIGHT = 600;
extern int32_t windowWidth;   // WINDOW_WIDTH until the first resize
extern int32_t windowHeight;  // WINDOW_HEIGHT until the first resize
// A new client size: the whole window's viewport and projection, and an identity modelview
// matrix left current.
void resizeGL(int width, int height);
// Viewport and projection of view index (0 left or only, 1 right) of a layout of views (1 or 2),
// with the modelview matrix left current. Every view has the same perspective: 45 degrees high,
// planes at 0.1 and 150, the aspect of its own size (a split-screen half's is that of half the
// window).
void applyViewLayout(int index, int views);

enum TextureSlot { FontTexture = 0, FilledTexture = 1, TrackTexture = 2 };
// The font sheet's cells, as texture coordinates: 8 columns, rows 9/64 of the sheet high
// counted from the top. The title text and the powerup letters both read them.
constexpr float GLYPH_CELL_WIDTH = 0.125f;
constexpr float GLYPH_CELL_HEIGHT = 0.140625f;
extern unsigned textureNames[3];  // GL texture objects, made by createTextureSlots

// The GL state drawing starts from, set once by the window's initGL: texturing on, smooth shading,
// the clear colour and depth, a LEQUAL depth test, the perspective hint, and the additive blend
// function with blending itself off (the drawing steps switch it on where they need it).
void setInitialGLState();
void createTextureSlots();  // generates the three texture names together, without images
void applyCamera(const GameState& game);  // multiplies the modelview matrix by activeCamera's look-at
// The whole world of a game for activeCamera into the current viewport; drawing only reads it.
void drawScene(const GameState& game);
bool loadTexture(const char* path, int slot);
void releaseTextureImage();  // frees the last loaded image at shut-down
