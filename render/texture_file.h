// Reading a texture's bitmap, without GL: the game's texture loading and tarvex-tool's data check
// share it.
#pragma once

#include <memory>

#include "image/bmp.h"

// The bitmap at path, or null. A missing file, or one that cannot be opened, gives null without
// a message; any other file goes to loadDibImage, which shows why it refuses one.
std::unique_ptr<RgbImage> loadImage(const char* path);
