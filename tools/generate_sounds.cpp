// Synthesises the game's three sound effects from oscillators, noise and envelopes and writes
// them as 16-bit mono PCM RIFF files at 22050 Hz:
//   ENGINE_WAVE     a one-second engine loop; every component has a whole number of cycles in
//                   the loop, so the end joins the start without a click
//   SHOT_WAVE       a short shot: a crack of bright noise over a falling low thump
//   EXPLOSION_WAVE  a long noisy blast whose brightness and loudness decay, with a deep rumble
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/data_files.h"
#include "tools/generators.h"
#include "tools/tool_messages.h"
#include "tools/wave_header.h"

namespace {

constexpr int RATE = 22050;
constexpr double TWO_PI = 6.283185307179586;

// A small deterministic generator so the files come out the same on every run.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double uniform() {  // -1 .. 1
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) * (2.0 / 16777216.0) - 1.0;
    }

private:
    uint32_t state_;
};

// One-pole low-pass filter.
class LowPass {
public:
    double run(double in, double cutoffHz) {
        const double a = 1.0 - std::exp(-TWO_PI * cutoffHz / RATE);
        value_ += a * (in - value_);
        return value_;
    }

private:
    double value_ = 0;
};

void normalise(std::vector<double>& samples, double peak) {
    double largest = 0;
    for (double s : samples) largest = std::fmax(largest, std::fabs(s));
    if (largest <= 0) return;
    for (double& s : samples) s *= peak / largest;
}

bool writeWave(const std::string& path, const std::vector<double>& samples) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, CANNOT_WRITE_SOUND, path.c_str());
        return false;
    }
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    const std::string header = waveHeader(1, RATE, 16, dataBytes);
    std::vector<uint8_t> bytes(header.begin(), header.end());
    auto put16 = [&](uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    for (double s : samples) {
        const double clamped = std::fmax(-1.0, std::fmin(1.0, s));
        put16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(clamped * 32767))));
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// Engine: a 32 Hz firing pulse rich in harmonics, pulsing at 4 Hz, over a low noise rumble made
// of whole-hertz partials with random phases (so the noise repeats exactly every second too).
std::vector<double> engineLoop() {
    const int length = RATE;  // one second
    const double fire = 32.0;
    std::vector<double> out(length);
    Noise noise(0x5eed1);
    double phases[16];
    for (double& p : phases) p = (noise.uniform() + 1) * TWO_PI;
    std::vector<double> rumblePhase(400);
    for (double& p : rumblePhase) p = (noise.uniform() + 1) * TWO_PI;
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / RATE;
        double engine = 0;
        for (int k = 1; k <= 16; ++k) engine += std::sin(TWO_PI * k * fire * t + phases[k - 1]) / (k * 0.8 + 0.4);
        const double pulse = 0.8 + 0.2 * std::sin(TWO_PI * 4.0 * t);
        double rumble = 0;
        for (int f = 20; f < 400; ++f) rumble += std::sin(TWO_PI * f * t + rumblePhase[f]) * (20.0 / f);
        out[n] = engine * pulse + 0.08 * rumble;
    }
    normalise(out, 0.7);
    return out;
}

std::vector<double> shot() {
    const int length = RATE * 45 / 100;
    std::vector<double> out(length);
    Noise noise(0xb0a7);
    LowPass crackFilter, bodyFilter;
    double thumpPhase = 0;
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / RATE;
        const double attack = std::fmin(1.0, t / 0.002);
        const double crack = crackFilter.run(noise.uniform(), 6000) * std::exp(-t / 0.025);
        const double body = bodyFilter.run(noise.uniform(), 900) * std::exp(-t / 0.09) * 2.5;
        const double thumpHz = 45 + 110 * std::exp(-t / 0.05);  // falls from 155 Hz to 45 Hz
        thumpPhase += TWO_PI * thumpHz / RATE;
        const double thump = std::sin(thumpPhase) * std::exp(-t / 0.12);
        out[n] = attack * (0.6 * crack + 0.5 * body + 0.9 * thump);
    }
    normalise(out, 0.9);
    return out;
}

std::vector<double> explosion() {
    const int length = RATE * 2;
    std::vector<double> out(length);
    Noise noise(0xb1a57);
    LowPass blastFilter, blastFilter2, rumbleFilter;
    double rumblePhase = 0;
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / RATE;
        const double attack = std::fmin(1.0, t / 0.004);
        const double cutoff = 150 + 4000 * std::exp(-t / 0.25);  // the blast darkens as it fades
        const double blast = blastFilter2.run(blastFilter.run(noise.uniform(), cutoff), cutoff) *
                             std::exp(-t / 0.45) * 3.0;
        const double rumbleNoise = rumbleFilter.run(noise.uniform(), 80) * 8.0;
        rumblePhase += TWO_PI * (38 + 20 * std::exp(-t / 0.3)) / RATE;
        const double rumble = (std::sin(rumblePhase) * 0.6 + rumbleNoise) * std::exp(-t / 0.7);
        // Sparse crackle in the first half second: debris.
        double crackle = 0;
        if (t < 0.6 && noise.uniform() > 0.985) crackle = noise.uniform() * std::exp(-t / 0.2);
        out[n] = attack * (blast + 0.8 * rumble + 0.5 * crackle);
    }
    // Fade the last 50 ms to silence.
    const int fade = RATE / 20;
    for (int n = 0; n < fade; ++n) out[length - 1 - n] *= static_cast<double>(n) / fade;
    normalise(out, 0.92);
    return out;
}

}  // namespace

bool generateSounds(const char* dir) {
    const std::string base = std::string(dir) + "/";
    bool ok = writeWave(base + ENGINE_WAVE, engineLoop());
    ok = writeWave(base + SHOT_WAVE, shot()) && ok;
    ok = writeWave(base + EXPLOSION_WAVE, explosion()) && ok;
    return ok;
}
