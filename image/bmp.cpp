// placeholder until the bitmap loader is written
#include "image/bmp.h"

std::unique_ptr<RgbImage> loadDibImage(const char*) { return nullptr; }
