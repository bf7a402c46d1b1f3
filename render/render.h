// Drawing the world: cameras, the scene of one view, and the texture slots.
#pragma once

#include <cstdint>

extern int32_t activeCamera;  // camera of the view being drawn, set by the frame's view layout

enum TextureSlot { FontTexture = 0, FilledTexture = 1, TrackTexture = 2 };
extern unsigned textureNames[3];  // GL texture objects, generated together by initGL

void applyCamera();  // multiplies the modelview matrix by activeCamera's look-at
void drawScene();    // the whole world for activeCamera into the current viewport
bool loadTexture(const char* path, int slot);
void releaseTextureImage();  // frees the last loaded image at shut-down
