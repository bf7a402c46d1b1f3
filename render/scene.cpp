// placeholder definitions until the renderer is written
#include "render/render.h"

int32_t activeCamera = 0;
int32_t windowWidth = 800;
int32_t windowHeight = 600;
unsigned textureNames[3];
void applyCamera() {}
void drawScene() {}
bool loadTexture(const char*, int) { return false; }
void releaseTextureImage() {}
