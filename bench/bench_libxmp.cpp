// The same kind of song through libxmp, for comparison in the same run as bench_music: a
// four-channel MOD made here, whose four voices never fall silent (looped samples, a note on every
// row of every channel), rendered at 44100 Hz stereo into memory with nearest-sample and with
// linear resampling. The counter is the one bench_music prints: seconds of music per CPU second.
#include <benchmark/benchmark.h>
#include <xmp.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "music/sequencer.h"

namespace {

constexpr int ROWS = 64;
constexpr int OUTPUT_RATE = 44100;

void put16(std::vector<uint8_t>& m, size_t at, uint16_t value) {
    m[at] = uint8_t(value >> 8);
    m[at + 1] = uint8_t(value);
}

void putSampleHeader(std::vector<uint8_t>& m, int number, uint16_t words) {
    size_t at = 20 + size_t(number - 1) * 30;
    put16(m, at + 22, words);
    m[at + 25] = 64;                // volume
    put16(m, at + 26, 0);           // loop start
    put16(m, at + 28, words);       // loop over the whole sample
}

void putNote(std::vector<uint8_t>& m, size_t patterns, int row, int channel, uint16_t period,
             uint8_t sample, uint8_t effect, uint8_t parameter) {
    uint8_t* cell = m.data() + patterns + size_t(row * 4 + channel) * 4;
    cell[0] = uint8_t((sample & 0xF0) | (period >> 8));
    cell[1] = uint8_t(period);
    cell[2] = uint8_t((sample << 4) | effect);
    cell[3] = parameter;
}

// Lead on channels 0 and 2 (a 64-byte sine with an arpeggio every fourth row), bass on 1 and 3
// (a 64-byte square with vibrato every third row), at the notes bench_music's busy song plays.
std::vector<uint8_t> busyMod() {
    const size_t header = 20 + 31 * 30 + 1 + 1 + 128 + 4;
    const size_t patterns = header;
    const size_t samples = patterns + ROWS * 4 * 4;
    std::vector<uint8_t> m(samples + 128, 0);
    std::memcpy(m.data(), "busy voices", 11);
    putSampleHeader(m, 1, 32);
    putSampleHeader(m, 2, 32);
    m[20 + 31 * 30] = 1;        // song length
    m[20 + 31 * 30 + 1] = 127;  // restart
    std::memcpy(m.data() + header - 4, "M.K.", 4);
    for (int row = 0; row < ROWS; ++row) {
        const int r = row % 16;
        const uint16_t lead = periodOfNote(int8_t(20 + r));
        const uint16_t bass = periodOfNote(int8_t(10 + r % 5));
        const uint8_t arpeggio = r % 4 == 2 ? 0x37 : 0;
        const uint8_t vibrato = r % 3 == 1 ? 4 : 0;
        putNote(m, patterns, row, 0, lead, 1, 0, arpeggio);
        putNote(m, patterns, row, 1, bass, 2, vibrato, vibrato ? 0x48 : 0);
        putNote(m, patterns, row, 2, lead, 1, 0, arpeggio);
        putNote(m, patterns, row, 3, bass, 2, vibrato, vibrato ? 0x48 : 0);
    }
    for (int i = 0; i < 64; ++i) {
        m[samples + size_t(i)] = uint8_t(int8_t(std::lround(100 * std::sin(i * 2 * M_PI / 64))));
        m[samples + 64 + size_t(i)] = uint8_t(int8_t(i < 32 ? 90 : -90));
    }
    return m;
}

void renderWithLibxmp(benchmark::State& state, int interpolation) {
    std::vector<uint8_t> mod = busyMod();
    xmp_context context = xmp_create_context();
    if (xmp_load_module_from_memory(context, mod.data(), long(mod.size())) != 0 ||
        xmp_start_player(context, OUTPUT_RATE, 0) != 0) {
        xmp_free_context(context);
        state.SkipWithError("libxmp refused the module");
        return;
    }
    xmp_set_player(context, XMP_PLAYER_INTERP, interpolation);
    std::vector<int16_t> second(OUTPUT_RATE * 2);  // one second, 16-bit stereo
    const int bytes = int(second.size() * sizeof(int16_t));
    xmp_play_buffer(context, second.data(), bytes, 0);  // past the start, as bench_music does
    bool sounding = false;
    for (int16_t sample : second) sounding |= sample != 0;
    if (!sounding) state.SkipWithError("libxmp rendered silence");
    for (auto _ : state) {
        xmp_play_buffer(context, second.data(), bytes, 0);
        benchmark::DoNotOptimize(second[0]);
    }
    state.counters["music_s_per_cpu_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    xmp_end_player(context);
    xmp_release_module(context);
    xmp_free_context(context);
}

void BM_LibxmpFourBusyVoicesNearest(benchmark::State& state) {
    renderWithLibxmp(state, XMP_INTERP_NEAREST);
}
void BM_LibxmpFourBusyVoicesLinear(benchmark::State& state) {
    renderWithLibxmp(state, XMP_INTERP_LINEAR);
}

}  // namespace

BENCHMARK(BM_LibxmpFourBusyVoicesNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibxmpFourBusyVoicesLinear)->Unit(benchmark::kMillisecond);
