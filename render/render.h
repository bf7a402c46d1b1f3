// Drawing the world: cameras, the scene of one view, and the texture slots.
#pragma once

#include <cstdint>

extern int32_t activeCamera;  // camera of the view being drawn, set by the frame's view layout
// Client size of the window in pixels (height never 0). Defined here, written by the app's resizeGL;
// the lives display covers the whole window even in split screen, so it needs them.
extern int32_t windowWidth;   // 800 until the first resize
extern int32_t windowHeight;  // 600 until the first resize

enum TextureSlot { FontTexture = 0, FilledTexture = 1, TrackTexture = 2 };
extern unsigned textureNames[3];  // GL texture objects, generated together by initGL

void applyCamera();  // multiplies the modelview matrix by activeCamera's look-at
void drawScene();    // the whole world for activeCamera into the current viewport
bool loadTexture(const char* path, int slot);
void releaseTextureImage();  // frees the last loaded image at shut-down
