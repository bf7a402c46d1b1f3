// Builds bitmap files byte by byte for the loader tests, including malformed ones.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct BmpBuilder {
    uint32_t headerSize = 40;       // 12 writes a core header; other values a padded info header
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    bool fileHeader = true;
    std::vector<uint32_t> masks;    // written right after the header (bit-field files)
    std::vector<uint32_t> palette;  // 0xRRGGBB, written as 3- or 4-byte entries
    uint32_t gapBeforePixels = 0;   // bytes between the colour table and the pixels
    std::vector<uint8_t> pixels;    // raw pixel data as stored in the file

    std::vector<uint8_t> build() const {
        std::vector<uint8_t> dib;
        put32(dib, headerSize);
        if (headerSize == 12) {
            put16(dib, uint16_t(width));
            put16(dib, uint16_t(height));
            put16(dib, 1);
            put16(dib, bitCount);
        } else {
            put32(dib, uint32_t(width));
            put32(dib, uint32_t(height));
            put16(dib, 1);
            put16(dib, bitCount);
            put32(dib, compression);
            put32(dib, uint32_t(pixels.size()));
            put32(dib, 2835);
            put32(dib, 2835);
            put32(dib, colorsUsed);
            put32(dib, 0);
            while (dib.size() < headerSize) dib.push_back(0);
        }
        for (uint32_t mask : masks) put32(dib, mask);
        for (uint32_t color : palette) {
            dib.push_back(uint8_t(color));
            dib.push_back(uint8_t(color >> 8));
            dib.push_back(uint8_t(color >> 16));
            if (headerSize != 12) dib.push_back(0);
        }
        dib.insert(dib.end(), gapBeforePixels, 0xEE);
        size_t pixelStart = dib.size();
        dib.insert(dib.end(), pixels.begin(), pixels.end());
        if (!fileHeader) return dib;

        std::vector<uint8_t> file = {'B', 'M'};
        put32(file, uint32_t(14 + dib.size()));
        put32(file, 0);
        put32(file, uint32_t(14 + pixelStart));
        file.insert(file.end(), dib.begin(), dib.end());
        return file;
    }

    static void put16(std::vector<uint8_t>& out, uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
    static void put32(std::vector<uint8_t>& out, uint32_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    }
};

inline bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(file);
    return bytes;
}
