// A float's bit pattern and back, without pointer casts: the byte layouts of saved states and
// replays and the sine and cosine's range reduction work on the bits.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t floatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline float bitsFloat(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
