#include "tools/song/waveforms.h"

#include <cmath>
#include <cstdio>

#include "platform/file_read.h"
#include "tools/message_format.h"
#include "tools/song/song_messages.h"

namespace song {

namespace {

constexpr double TWO_PI = 6.283185307179586;

uint8_t toByte(double value) {
    long rounded = std::lround(value);
    if (rounded > 127) rounded = 127;
    if (rounded < -128) rounded = -128;
    return static_cast<uint8_t>(static_cast<int8_t>(rounded));
}

// A small xorshift generator so that a seed always gives the same noise on every machine.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    double next() {  // -1 .. 1
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state & 0xFFFF) / 32767.5 - 1.0;
    }
};

// One cycle of a periodic shape at phase 0 <= x < 1, in -1 .. 1.
double shape(WaveKind kind, double x, int duty) {
    switch (kind) {
        case WaveKind::Sine: return std::sin(TWO_PI * x);
        case WaveKind::Square: return x * 100.0 < duty ? 1.0 : -1.0;
        case WaveKind::Saw: return 2.0 * x - 1.0;
        case WaveKind::Triangle: return x < 0.5 ? 4.0 * x - 1.0 : 3.0 - 4.0 * x;
        default: return 0.0;
    }
}

}  // namespace

bool waveKindFromName(const std::string& name, WaveKind& kind) {
    static const struct {
        const char* name;
        WaveKind kind;
    } KindNames[] = {{"sine", WaveKind::Sine},         {"square", WaveKind::Square},
                 {"saw", WaveKind::Saw},           {"triangle", WaveKind::Triangle},
                 {"noise", WaveKind::Noise},       {"ramp", WaveKind::Ramp}};
    for (const auto& entry : KindNames)
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    return false;
}

std::vector<uint8_t> generateTable(const WaveRecipe& recipe) {
    std::vector<uint8_t> values(recipe.length > 0 ? recipe.length : 0);
    Noise noise(recipe.seed);
    const int n = static_cast<int>(values.size());
    for (int i = 0; i < n; ++i) {
        double v;
        if (recipe.kind == WaveKind::Ramp) {
            v = n > 1 ? recipe.from + (recipe.to - recipe.from) * static_cast<double>(i) / (n - 1)
                      : recipe.from;
        } else if (recipe.kind == WaveKind::Noise) {
            v = recipe.amplitude * noise.next();
        } else {
            double phase = std::fmod(static_cast<double>(i) * recipe.cycles / n, 1.0);
            v = recipe.amplitude * shape(recipe.kind, phase, recipe.duty);
        }
        values[i] = toByte(v);
    }
    return values;
}

std::vector<uint8_t> generateSample(const WaveRecipe& recipe) {
    std::vector<uint8_t> values(recipe.length > 0 ? recipe.length : 0);
    Noise noise(recipe.seed);
    const int n = static_cast<int>(values.size());
    const double start = recipe.period > 0 ? recipe.period : (recipe.kind == WaveKind::Noise ? 1 : 32);
    const double end = recipe.periodEnd > 0 ? recipe.periodEnd : start;
    double phase = 0.0;
    double held = 0.0;
    for (int i = 0; i < n; ++i) {
        double period = n > 1 ? start + (end - start) * i / (n - 1) : start;
        double level = recipe.decay > 0 ? std::pow(0.5, static_cast<double>(i) / recipe.decay) : 1.0;
        double v;
        if (recipe.kind == WaveKind::Noise) {
            // A new random value whenever the phase wraps: longer periods give darker noise.
            if (i == 0 || phase < 1.0 / period) held = noise.next();
            v = held;
        } else if (recipe.kind == WaveKind::Ramp) {
            v = (n > 1 ? recipe.from + (recipe.to - recipe.from) * static_cast<double>(i) / (n - 1)
                       : recipe.from) / 127.0;
        } else {
            v = shape(recipe.kind, phase, recipe.duty);
        }
        values[i] = toByte(v * level * (recipe.kind == WaveKind::Ramp ? 127 : recipe.amplitude));
        phase = std::fmod(phase + 1.0 / period, 1.0);
    }
    return values;
}

namespace {

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool readWavSamples(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
    // A sampled instrument holds at most 65534 bytes; a WAV file many times that size is not
    // meant as one.
    constexpr uint64_t MAX_WAV_BYTES = 16u << 20;
    const platform::UserFile file = platform::readUserFile(path.c_str(), MAX_WAV_BYTES);
    if (file.problem == platform::FileProblem::TooLarge) {
        error = formatMessage(WAV_TOO_LARGE, path.c_str());
        return false;
    }
    if (file.problem != platform::FileProblem::None) {
        error = formatMessage(WAV_UNREADABLE, path.c_str(), platform::fileProblemText(file.problem));
        return false;
    }
    const std::vector<uint8_t>& bytes = file.bytes;
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
        error = formatMessage(WAV_NOT_RIFF, path.c_str());
        return false;
    }
    int channels = 0, bits = 0;
    bool haveFormat = false;
    size_t offset = 12;
    while (offset + 8 <= bytes.size()) {
        std::string id(bytes.begin() + offset, bytes.begin() + offset + 4);
        uint32_t size = le32(&bytes[offset + 4]);
        size_t body = offset + 8;
        if (size > bytes.size() - body) size = static_cast<uint32_t>(bytes.size() - body);
        if (id == "fmt " && size >= 16) {
            if (le16(&bytes[body]) != 1) {
                error = formatMessage(WAV_NOT_PCM, path.c_str());
                return false;
            }
            channels = le16(&bytes[body + 2]);
            bits = le16(&bytes[body + 14]);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat || channels < 1 || (bits != 8 && bits != 16)) {
                error = formatMessage(WAV_FORMAT_UNSUPPORTED, path.c_str());
                return false;
            }
            const size_t frameSize = static_cast<size_t>(channels) * (bits / 8);
            out.clear();
            for (size_t f = body; f + frameSize <= body + size; f += frameSize) {
                int sum = 0;
                for (int c = 0; c < channels; ++c) {
                    const uint8_t* s = &bytes[f + static_cast<size_t>(c) * (bits / 8)];
                    sum += bits == 8 ? s[0] - 128 : static_cast<int16_t>(le16(s)) / 256;
                }
                out.push_back(static_cast<uint8_t>(static_cast<int8_t>(sum / channels)));
            }
            return true;
        }
        offset = body + size + (size & 1);
    }
    error = formatMessage(WAV_NO_DATA, path.c_str());
    return false;
}

}  // namespace song
