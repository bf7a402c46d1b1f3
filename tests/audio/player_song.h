// A small looping song for the player tests: two positions, a sampled saw-like instrument and a
// square one, notes on all four voices, so every block of the render differs from silence.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace testing_audio {

inline void putWord(std::vector<uint8_t>& image, size_t at, uint16_t value) {
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value & 0xFF);
}

inline std::vector<uint8_t> playerTestSong() {
    constexpr size_t songLength = 2, patternCount = 4, sampleBytes = 64;
    const size_t positions = 512, patterns = positions + songLength * 16;
    const size_t samples = patterns + patternCount * 48;
    std::vector<uint8_t> image(samples + 2 * sampleBytes, 0);
    std::memcpy(image.data(), "player test song", 16);
    std::memcpy(image.data() + 26, "V.3", 3);
    image[29] = 0;  // no synthesis tables
    putWord(image, 30, songLength);
    for (int instrument = 0; instrument < 2; ++instrument) {
        const size_t record = 32 + instrument * 32;
        std::memcpy(image.data() + record, instrument == 0 ? "saw" : "square", instrument ? 6 : 3);
        putWord(image, record + 24, sampleBytes / 2);  // length in words
        putWord(image, record + 26, 0);                // loop start
        putWord(image, record + 28, sampleBytes / 2);  // loop the whole sample
        putWord(image, record + 30, 64);
    }
    // Position p, voice v plays pattern 1 + (p + v) % 4.
    for (size_t p = 0; p < songLength; ++p)
        for (size_t v = 0; v < 4; ++v) putWord(image, positions + p * 16 + v * 4, 1 + (p + v) % 4);
    for (size_t pattern = 0; pattern < patternCount; ++pattern) {
        for (int row = 0; row < 16; row += 4) {
            const size_t at = patterns + pattern * 48 + row * 3;
            image[at] = static_cast<uint8_t>(13 + pattern * 3 + row / 2);  // note
            image[at + 1] = static_cast<uint8_t>(((pattern % 2) + 1) << 4);  // instrument, no effect
        }
    }
    for (size_t i = 0; i < sampleBytes; ++i) {
        image[samples + i] = static_cast<uint8_t>(static_cast<int8_t>(i * 4 - 128));  // signed saw
        image[samples + sampleBytes + i] = static_cast<uint8_t>(i < 32 ? 0x60 : 0xA0);
    }
    return image;
}

}  // namespace testing_audio
