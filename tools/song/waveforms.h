// Generated waveforms for synthesis tables and sampled instruments, and 8-bit sample data read
// from WAV files. Every result is signed 8-bit, as the module stores it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace song {

enum class WaveKind { Sine, Square, Saw, Triangle, Noise, Ramp };

bool waveKindFromName(const std::string& name, WaveKind& kind);

struct WaveRecipe {
    WaveKind kind = WaveKind::Sine;
    int length = 64;      // number of values
    int amplitude = 127;  // peak, 0..127
    int cycles = 1;       // tables: whole cycles over the length
    int period = 0;       // samples: values per cycle at the start (noise: values per random step)
    int periodEnd = 0;    // samples: values per cycle at the end (0 = same as period)
    int duty = 50;        // square: percent of each cycle spent high
    int decay = 0;        // samples: the level halves every this many values (0 = steady)
    int from = 127;       // ramp: first value
    int to = -128;        // ramp: last value
    uint32_t seed = 1;    // noise
};

// Values of a generated synthesis table (cycles over the length) or sample (period in values).
std::vector<uint8_t> generateTable(const WaveRecipe& recipe);
std::vector<uint8_t> generateSample(const WaveRecipe& recipe);

// Reads a PCM WAV file (8 or 16 bits, mono or stereo) and returns its frames as signed 8-bit
// values, channels averaged. False with a reason on any problem.
bool readWavSamples(const std::string& path, std::vector<uint8_t>& out, std::string& error);

}  // namespace song
