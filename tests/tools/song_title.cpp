// The game's title song: built from its source, a well-formed module, and a first minute that
// sounds on both sides without gaps and within a bounded level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "audio/mixer_offline.h"
#include "music/module.h"
#include "tests/tools/song_support.h"
#include "tools/song/compiler.h"
#include "tools/song/text_format.h"

using namespace songtest;

namespace {

const char* const MODULE_PATH = "data/music";
const char* const SOURCE_PATH = "music/songs/title.txt";
constexpr int TICKS_PER_SECOND = 50;

class SideMeter : public BlockSink {
public:
    void takeBlock(const uint8_t* data, uint32_t size) override {
        for (uint32_t i = 0; i + 1 < size; i += 2)
            for (int side = 0; side < 2; ++side) {
                int level = std::abs(int(data[i + side]) - 128);
                peak[side] = std::max(peak[side], level);
                // The mixer's rounding leaves an offset of a step or two where all is quiet.
                run[side] = level <= 2 ? run[side] + 1 : 0;
                longestSilence[side] = std::max(longestSilence[side], run[side]);
            }
    }
    int peak[2] = {0, 0};
    long run[2] = {0, 0};
    long longestSilence[2] = {0, 0};
};

class TitleSong : public testing::Test {
protected:
    void SetUp() override {
        image = readBinary(MODULE_PATH);
        ASSERT_FALSE(image.empty()) << MODULE_PATH;
        original = image;
        module = std::make_unique<MusicModule>(image.data(), image.size());
        ASSERT_EQ(module->parse(), 0);
    }
    std::vector<uint8_t> image, original;
    std::unique_ptr<MusicModule> module;
};

}  // namespace

TEST_F(TitleSong, IsBuiltFromItsSource) {
    std::vector<song::Diagnostic> problems;
    std::vector<uint8_t> built = compileText(readText(SOURCE_PATH), song::Generation::V3, &problems);
    EXPECT_TRUE(problems.empty()) << song::formatDiagnostics(SOURCE_PATH, problems);
    EXPECT_EQ(built, original) << "data/music is stale: rebuild it with song compile";
}

TEST_F(TitleSong, SectionsFitTheFileExactly) {
    EXPECT_TRUE(module->problems().empty()) << module->problems().front();
    size_t samples = 0;
    for (int n = 1; n <= 15; ++n) {
        SampleQuery s{};
        if (module->sample(n, s)) samples += s.length;
    }
    const size_t expected = 512 + module->songLength() * 16u + module->patternCount() * 48u +
                            module->synthTableCount() * 64u + samples;
    EXPECT_EQ(expected, image.size());
    EXPECT_EQ(module->samples() + samples, module->image() + image.size());
}

TEST_F(TitleSong, UsesEveryUnitSampledInstrumentsAndTheEffectsOfATracker) {
    bool units[5] = {};
    int sampled = 0;
    for (int n = 1; n <= 15; ++n) {
        ControlsQuery c{};
        if (module->controls(n, c)) {
            units[0] |= c.volumeEnvelope != 0;
            units[1] |= c.pitchModulation != 0;
            units[2] |= c.inversionEnvelope != 0;
            units[3] |= c.waveEffectType != 0;
            units[4] |= c.tailModulation != 0;
        }
        SampleQuery s{};
        if (module->sample(n, s) && s.length > 0) ++sampled;
    }
    for (int u = 0; u < 5; ++u) EXPECT_TRUE(units[u]) << "unit " << u << " unused";
    EXPECT_GE(sampled, 1);

    std::set<int> effects;
    bool arpeggio = false;
    for (int p = 1; p <= module->patternCount(); ++p)
        for (int r = 0; r < 16; ++r) {
            const uint8_t* row = module->patternRow(static_cast<uint16_t>(p), r);
            if ((row[1] & 15) != 0) effects.insert(row[1] & 15);
            if ((row[1] & 15) == 9 || ((row[1] & 15) == 0 && row[2] != 0)) arpeggio = true;
        }
    EXPECT_TRUE(arpeggio);
    for (int effect : {1, 2, 6, 7, 8}) EXPECT_TRUE(effects.count(effect)) << "effect " << effect;
}

TEST_F(TitleSong, PlaysAtLeastAMinuteBeforeItRepeats) {
    OfflineMusic music(*module, true);
    long ticks = 0;
    int32_t last = 0;
    for (; ticks < 200 * TICKS_PER_SECOND; ++ticks) {
        music.renderTicks(1, nullptr);
        if (music.sequencer.position < last) break;
        last = music.sequencer.position;
    }
    EXPECT_GE(ticks, 60 * TICKS_PER_SECOND);
    EXPECT_LT(ticks, 200 * TICKS_PER_SECOND) << "the song never went back";
    EXPECT_GT(music.sequencer.position, 0) << "the end jumps back past the intro";
}

TEST_F(TitleSong, FirstMinuteHasNoGapsAndABoundedLevelOnBothSides) {
    OfflineMusic music(*module, true);
    SideMeter meter;
    int busy[4] = {};
    const long ticks = 60 * TICKS_PER_SECOND;
    for (long t = 0; t < ticks; ++t) {
        music.renderTicks(1, &meter);
        for (int v = 0; v < 4; ++v) {
            const MixerChannel& c = music.mixer.channels[v];
            if (c.active && c.volume > 0) ++busy[v];
        }
    }
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(side == 0 ? "left" : "right");
        EXPECT_LT(meter.longestSilence[side], 44100) << "a second of silence";
        EXPECT_GT(meter.peak[side], 30) << "too quiet";
        EXPECT_LT(meter.peak[side], 100) << "too loud";
    }
    // Drums are one-shots, so their channel is idle between hits; the others hold their notes.
    for (int v = 0; v < 3; ++v) EXPECT_GT(busy[v], ticks * 3 / 4) << "voice " << v;
    EXPECT_GT(busy[3], ticks / 3) << "drums";
}
