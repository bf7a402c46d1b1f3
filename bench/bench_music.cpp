// Offline rendering speed of the music: one sequencer tick plus one 882-frame stereo block per
// 20 ms of music. The "music_s_per_cpu_s" counter is seconds of music made per second of CPU.
#include <benchmark/benchmark.h>

#include <vector>

#include "audio/mixer_offline.h"
#include "music/module.h"
#include "tests/music/module_writer.h"

namespace {

constexpr int TICKS_PER_ITERATION = 50;  // one second of music

// Every voice keeps sounding: the synthetic lead (all five units) on voices 0 and 2, the looped
// bass on 1 and 3, each with notes every row.
testmusic::ModuleWriter fourBusyVoices() {
    testmusic::ModuleWriter w = testmusic::demoSong();
    uint16_t lead = w.addPattern(), bass = w.addPattern();
    for (int r = 0; r < 16; ++r) {
        w.setRow(lead, r, int8_t(20 + r), 3, r % 4 == 2 ? 9 : 0, 0x37);
        w.setRow(bass, r, int8_t(10 + r % 5), 1, r % 3 == 1 ? 6 : 0, 8);
    }
    w.positions.clear();
    w.addPosition({lead, bass, lead, bass});
    return w;
}

void renderSong(benchmark::State& state, const testmusic::ModuleWriter& song) {
    std::vector<uint8_t> image = song.build();
    MusicModule module(image.data(), image.size());
    if (module.parse() != 0) {
        state.SkipWithError("module refused");
        return;
    }
    OfflineMusic music(module, true);
    music.renderTicks(100, nullptr);  // past the silent start
    for (auto _ : state) {
        music.renderTicks(TICKS_PER_ITERATION, nullptr);
        benchmark::DoNotOptimize(music.mixer.block.get()[0]);
    }
    state.counters["music_s_per_cpu_s"] = benchmark::Counter(
        double(state.iterations()) * TICKS_PER_ITERATION / 50.0, benchmark::Counter::kIsRate);
}

void BM_RenderDemoSong(benchmark::State& state) { renderSong(state, testmusic::demoSong()); }
void BM_RenderFourBusyVoices(benchmark::State& state) { renderSong(state, fourBusyVoices()); }

}  // namespace

BENCHMARK(BM_RenderDemoSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFourBusyVoices)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
