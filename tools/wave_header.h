// The RIFF header the tools put in front of the PCM WAV files they write.
#pragma once

#include <cstdint>
#include <string>

// 44 bytes for uncompressed PCM: channels of bitsPerSample each at rate frames per second,
// followed by dataBytes of samples.
inline std::string waveHeader(uint16_t channels, uint32_t rate, uint16_t bitsPerSample,
                              uint32_t dataBytes) {
    std::string header;
    auto put = [&header](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) header.push_back(char((value >> (8 * i)) & 0xFF));
    };
    const uint16_t frameBytes = uint16_t(channels * (bitsPerSample / 8));
    header += "RIFF";
    put(36 + dataBytes, 4);
    header += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * frameBytes, 4);  // bytes per second
    put(frameBytes, 2);
    put(bitsPerSample, 2);
    header += "data";
    put(dataBytes, 4);
    return header;
}
