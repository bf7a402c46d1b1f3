// Reading what the sound device played on SDL's disk driver (signed 16-bit stereo frames) and
// comparing it with an offline render (8-bit unsigned stereo, as the ring holds it).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/read_file.h"

namespace testing_audio {

// The device plays a ring byte b as the 16-bit sample (b - 128) * 256.
inline int16_t deviceSample(uint8_t ringByte) {
    return static_cast<int16_t>((ringByte - 128) * 256);
}

// The whole file through the tools' reader; empty when it cannot be read.
inline std::vector<uint8_t> fileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!readInputFile(path, bytes)) bytes.clear();
    return bytes;
}

inline std::vector<int16_t> readDeviceOutput(const std::string& path) {
    const std::vector<uint8_t> bytes = fileBytes(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

// The data chunk of a RIFF WAVE file, converted to device samples; empty when there is none.
inline std::vector<int16_t> readRenderAsDeviceSamples(const std::string& path) {
    const std::vector<uint8_t> wave = fileBytes(path);
    std::vector<int16_t> samples;
    if (wave.size() < 12 || std::memcmp(wave.data(), "RIFF", 4) != 0) return samples;
    size_t at = 12;
    while (at + 8 <= wave.size()) {
        const uint32_t size = wave[at + 4] | (wave[at + 5] << 8) | (wave[at + 6] << 16) |
                              (static_cast<uint32_t>(wave[at + 7]) << 24);
        if (std::memcmp(wave.data() + at, "data", 4) == 0) {
            const size_t end = std::min(wave.size(), at + 8 + size);
            for (size_t i = at + 8; i < end; ++i) samples.push_back(deviceSample(wave[i]));
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

inline size_t firstSound(const std::vector<int16_t>& samples, size_t from = 0) {
    for (size_t i = from; i < samples.size(); ++i)
        if (samples[i] != 0) return i;
    return samples.size();
}

// Every place at or after `from` where played holds render[start, start + length).
inline std::vector<size_t> findAll(const std::vector<int16_t>& played,
                                   const std::vector<int16_t>& render, size_t start,
                                   size_t length, size_t from = 0) {
    std::vector<size_t> places;
    if (start + length > render.size() || from >= played.size()) return places;
    auto needleBegin = render.begin() + start, needleEnd = needleBegin + length;
    auto at = played.begin() + from;
    while ((at = std::search(at, played.end(), needleBegin, needleEnd)) != played.end()) {
        places.push_back(static_cast<size_t>(at - played.begin()));
        ++at;
    }
    return places;
}

// How many samples from played[at] on equal render from its start.
inline size_t matchingRun(const std::vector<int16_t>& played, size_t at,
                          const std::vector<int16_t>& render) {
    size_t run = 0;
    while (at + run < played.size() && run < render.size() && played[at + run] == render[run])
        ++run;
    return run;
}

}  // namespace testing_audio
