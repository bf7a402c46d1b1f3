// Reading Windows bitmap files into packed RGB pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // height rows of 3 * width bytes (R, G, B), bottom row first
};

// Decodes a bitmap file (with or without its 14-byte file header). On failure the reason is
// shown in a message box (caption "Error") and null is returned.
std::unique_ptr<RgbImage> loadDibImage(const char* path);
