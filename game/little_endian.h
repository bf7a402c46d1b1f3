// Little-endian bytes for the files and packets the game writes: a growing writer and a reader
// that never reads past its end.
#pragma once

#include <cstdint>
#include <vector>

struct ByteWriter {
    std::vector<uint8_t> bytes;

    void u8(uint8_t value) { bytes.push_back(value); }
    void u16(uint16_t value) { little(value, 2); }
    void u32(uint32_t value) { little(value, 4); }
    void u64(uint64_t value) { little(value, 8); }
    void little(uint64_t value, int count) {
        for (int i = 0; i < count; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
    }
    // Seven bits a byte, low bits first; the top bit says another byte follows.
    void varint(uint32_t value) {
        while (value >= 0x80) {
            bytes.push_back(uint8_t(value | 0x80));
            value >>= 7;
        }
        bytes.push_back(uint8_t(value));
    }
};

// Reads within [at, end) only; a read past the end sets failed and gives 0.
struct ByteReader {
    const uint8_t* at;
    const uint8_t* end;
    bool failed = false;

    uint64_t little(int count) {
        if (end - at < count) {
            failed = true;
            return 0;
        }
        uint64_t value = 0;
        for (int i = 0; i < count; ++i) value |= uint64_t(at[i]) << (8 * i);
        at += count;
        return value;
    }
    uint8_t u8() { return uint8_t(little(1)); }
    uint16_t u16() { return uint16_t(little(2)); }
    uint32_t u32() { return uint32_t(little(4)); }
    uint64_t u64() { return little(8); }
    // At most five bytes, and no bits beyond the 32nd.
    uint32_t varint() {
        uint32_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const uint8_t byte = u8();
            if (failed || (shift == 28 && byte > 0x0F)) break;
            value |= uint32_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return value;
        }
        failed = true;
        return 0;
    }
};
