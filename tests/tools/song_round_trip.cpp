// Compile, decompile and compile again must reproduce every module byte for byte, and the older
// generations must upgrade to the same song.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "music/module.h"
#include "tests/tools/song_support.h"
#include "tools/song/compiler.h"
#include "tools/song/decompiler.h"
#include "tools/song/text_format.h"

using namespace songtest;
using song::Generation;

namespace {

// parse converts in place, so it works on a copy.
bool parses(std::vector<uint8_t> bytes) {
    MusicModule module(bytes.data(), bytes.size());
    return module.parse() == 0;
}

}  // namespace

TEST(SongRoundTrip, TestSongsCompileDecompileCompileToTheSameBytes) {
    struct Case {
        const char* name;
        const char* text;
        Generation generation;
    } cases[] = {
        {"everything", EVERYTHING_SONG, Generation::V3}, {"v2 as V.3", V2_SONG, Generation::V3},
        {"v2 as V.2", V2_SONG, Generation::V2},         {"zunq as V.3", ZUNQ_SONG, Generation::V3},
        {"zunq as ZUNQ", ZUNQ_SONG, Generation::ZUNQ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<song::Diagnostic> problems;
        std::vector<uint8_t> module = compileText(c.text, c.generation, &problems);
        ASSERT_FALSE(module.empty()) << song::formatDiagnostics(c.name, problems);
        EXPECT_TRUE(parses(module));
        std::string error;
        EXPECT_EQ(roundTrip(module, &error), module) << error;
    }
}

TEST(SongRoundTrip, TheGamesSongRoundTrips) {
    std::vector<uint8_t> module = readBinary("data/music");
    ASSERT_FALSE(module.empty());
    std::string error;
    EXPECT_EQ(roundTrip(module, &error), module) << error;
}

TEST(SongRoundTrip, OddButAcceptedModulesRoundTrip) {
    const std::vector<uint8_t> base = compileText(EVERYTHING_SONG);
    ASSERT_FALSE(base.empty());
    // Bytes of records, positions and patterns set to values the text's checks would refuse:
    // each must come back through raw records, raw notes and "--" pattern numbers.
    std::vector<std::vector<uint8_t>> odd;
    auto with = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
        std::vector<uint8_t> m = base;
        std::copy(bytes.begin(), bytes.end(), m.begin() + offset);
        odd.push_back(m);
    };
    with(32 + 0 * 32 + 6, {0, 0});        // instrument 1: volume envelope on with length 0
    with(32 + 0 * 32 + 29, {200});        // instrument 1: volume 200
    with(32 + 0 * 32 + 1, {250});         // instrument 1: waveform table beyond the tables
    with(32 + 4 * 32 + 30, {0x12, 0x40}); // instrument 5: high byte in the volume
    with(32 + 4 * 32 + 26, {0xFF, 0xF0}); // instrument 5: loop beyond the sample
    with(32 + 14 * 32, {1, 2, 3});        // instrument 15: a record of odd bytes, no sample
    with(512 + 4, {0, 0});                // position 0, voice 1: pattern 0
    with(512 + 3 * 16 + 0, {0x7F, 0xF0}); // pattern run
    odd.push_back(base);
    odd.back().resize(base.size() - 7);   // cut short inside the samples
    std::vector<uint8_t> intoTables = base;
    intoTables.resize(512 + 3 * 16 + 4 * 48 + 100);
    odd.push_back(intoTables);            // cut short inside the tables
    for (size_t i = 0; i < odd.size(); ++i) {
        SCOPED_TRACE(i);
        if (!parses(odd[i])) continue;    // only what the parser accepts must round-trip
        std::string error;
        EXPECT_EQ(roundTrip(odd[i], &error), odd[i]) << error;
    }
}

TEST(SongRoundTrip, RandomlyDamagedModulesThatParseStillRoundTrip) {
    const std::vector<uint8_t> base = compileText(EVERYTHING_SONG);
    ASSERT_FALSE(base.empty());
    std::mt19937 random(12345);
    int accepted = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        std::vector<uint8_t> m = base;
        int changes = 1 + static_cast<int>(random() % 6);
        for (int c = 0; c < changes; ++c) {
            // Mostly the header, records, positions and patterns, sometimes anywhere.
            size_t range = random() % 4 == 0 ? m.size() : 512 + 3 * 16 + 4 * 48;
            size_t at = random() % range;
            if (at >= 26 && at < 29 && random() % 8 != 0) continue;  // keep most signatures
            m[at] = static_cast<uint8_t>(random());
        }
        if (random() % 5 == 0) m.resize(512 + random() % (m.size() - 512));
        if (!parses(m)) continue;
        ++accepted;
        std::string error;
        std::vector<uint8_t> again = roundTrip(m, &error);
        ASSERT_EQ(again, m) << "trial " << trial << ": " << error;
    }
    EXPECT_GT(accepted, 100);
}

TEST(SongGenerations, OlderGenerationsUpgradeToTheSameModule) {
    struct Case {
        const char* text;
        Generation older;
    } cases[] = {{V2_SONG, Generation::V2}, {ZUNQ_SONG, Generation::ZUNQ}};
    for (const Case& c : cases) {
        SCOPED_TRACE(song::generationName(c.older));
        std::vector<uint8_t> current = compileText(c.text, Generation::V3);
        std::vector<uint8_t> old = compileText(c.text, c.older);
        ASSERT_FALSE(current.empty());
        ASSERT_FALSE(old.empty());
        EXPECT_EQ(std::memcmp(&old[26], c.older == Generation::V2 ? "V.2" : "ZUNQ", 3), 0);
        EXPECT_NE(old, current);

        std::vector<uint8_t> a = current, b = old;
        MusicModule ma(a.data(), a.size()), mb(b.data(), b.size());
        ASSERT_EQ(ma.parse(), 0);
        ASSERT_EQ(mb.parse(), 0);
        EXPECT_EQ(a, b) << "the upgraded image differs from the current one";
        EXPECT_STREQ(mb.title(), ma.title());
        EXPECT_EQ(mb.synthTableCount(), ma.synthTableCount());
        for (int n = 1; n <= 15; ++n) {
            const Instrument* x = ma.instrument(n);
            const Instrument* y = mb.instrument(n);
            ASSERT_TRUE(x && y);
            EXPECT_EQ(x->kind, y->kind) << n;
            EXPECT_EQ(x->volume, y->volume) << n;
            EXPECT_EQ(x->waveformLength, y->waveformLength) << n;
            EXPECT_EQ(x->pitchModulationDelay, y->pitchModulationDelay) << n;
            EXPECT_EQ(x->inversionEnvelopeLength, y->inversionEnvelopeLength) << n;
            EXPECT_EQ(x->inversionEnvelopeSpeed, y->inversionEnvelopeSpeed) << n;
            EXPECT_EQ(x->length, y->length) << n;
        }
    }
}

TEST(SongGenerations, SongsThatDoNotFitAnOlderGenerationAreRefused) {
    std::vector<song::Diagnostic> problems;
    EXPECT_TRUE(compileText(EVERYTHING_SONG, Generation::V2, &problems).empty());
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems[0].message.find("V.2 generation has no waveform effect"), std::string::npos);
    EXPECT_GT(problems[0].line, 0);

    EXPECT_TRUE(compileText(V2_SONG, Generation::ZUNQ, &problems).empty());
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems[0].message.find("ZUNQ generation holds no synthesis tables"), std::string::npos);
    EXPECT_EQ(problems[0].line, 2);

    // Raw records are stored as written and cannot be rewritten for another generation.
    std::string raw = std::string(ZUNQ_SONG) +
                      "instrument 9 raw FF 00 00 10 00 00 00 00 01 00 00 00 00 00 00 01 00 00 00 00 00 01 "
                      "00 01 00 00 00 01 00 20 00 00\n";
    EXPECT_FALSE(compileText(raw, Generation::V3).empty());
    EXPECT_TRUE(compileText(raw, Generation::V2, &problems).empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].message.find("raw bytes"), std::string::npos);
}

TEST(SongGenerations, V2RecordsAreRearrangedAndUpgradedBack) {
    song::Record current{};
    for (int i = 0; i < 32; ++i) current[i] = static_cast<uint8_t>(100 + i);
    current[22] = 0, current[23] = 1, current[24] = 0;            // no waveform effect
    current[25] = 0, current[26] = 0, current[27] = 1, current[28] = 0;  // no tail modulation
    current[30] = current[31] = 0;
    std::array<uint8_t, 9> spare = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    song::Record old = song::toV2Layout(current, spare);
    EXPECT_EQ(old[14], 1);
    EXPECT_EQ(old[15], current[14]);  // pitch modulation delay
    EXPECT_EQ(old[20], current[18]);  // inversion length
    EXPECT_EQ(old[25], current[29]);  // volume
    std::array<uint8_t, 9> back{};
    EXPECT_EQ(song::fromV2Layout(old, &back), current);
    EXPECT_EQ(back, spare);
}

TEST(SongDecompile, RefusesWhatIsNotAModule) {
    song::Song song;
    std::string error;
    EXPECT_FALSE(song::decompileModule(std::vector<uint8_t>(100, 0), song, error));
    std::vector<uint8_t> bytes(600, 0);
    EXPECT_FALSE(song::decompileModule(bytes, song, error));
    EXPECT_NE(error.find("signature"), std::string::npos);
    std::memcpy(&bytes[26], "V.3", 3);
    bytes[31] = 10;  // ten positions do not fit
    EXPECT_FALSE(song::decompileModule(bytes, song, error));
    EXPECT_NE(error.find("position list"), std::string::npos);
}

TEST(SongText, CompiledModulesCarryWhatTheTextSays) {
    std::vector<uint8_t> bytes = compileText(EVERYTHING_SONG);
    ASSERT_FALSE(bytes.empty());
    MusicModule module(bytes.data(), bytes.size());
    ASSERT_EQ(module.parse(), 0);
    EXPECT_STREQ(module.title(), "EVERY \"EFFECT\" \x01");
    EXPECT_EQ(module.songLength(), 3);
    EXPECT_EQ(module.synthTableCount(), 10);
    EXPECT_EQ(module.patternCount(), 4);
    UnitQuery unit{};
    ASSERT_TRUE(module.inversionEnvelope(1, unit));
    EXPECT_EQ(unit.table, 8);
    EXPECT_EQ(unit.length, 80);
    EXPECT_EQ(unit.speed, 3);
    ASSERT_TRUE(module.pitchModulation(1, unit));
    EXPECT_EQ(unit.depth, 3);
    ControlsQuery controls{};
    ASSERT_TRUE(module.controls(1, controls));
    EXPECT_EQ(controls.inversionEnvelope, 7);
    EXPECT_EQ(controls.waveEffectType, 1);
    EXPECT_EQ(controls.tailModulation, 1);
    SampleQuery sample{};
    ASSERT_TRUE(module.sample(5, sample));
    EXPECT_EQ(sample.length, 64);
    EXPECT_EQ(sample.loopStart, 4);
    EXPECT_EQ(sample.loopLength, 20);
    EXPECT_EQ(sample.volume, 33);
    ASSERT_TRUE(module.sample(6, sample));
    EXPECT_EQ(sample.length, 102) << "an odd generated sample is padded to whole words";
    ASSERT_TRUE(module.sample(7, sample));
    EXPECT_EQ(sample.data[3], 0x7F) << "stored FF (-1) reads as 127 once converted";
    EXPECT_EQ(module.patternNumber(0, 3), 2);
    // Position 0 voice 3 is "2:-3:1": pattern 2, note transpose -3, instrument transpose 1.
    const uint8_t* entry = module.positions() + 3 * 4;
    EXPECT_EQ(entry[2], 1);
    EXPECT_EQ(entry[3], 0xFD);
    const uint8_t* row = module.patternRow(1, 13);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row[0], 0xF0);
    EXPECT_EQ(row[1], 0x7B);
    EXPECT_EQ(row[2], 0x03);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xEF) << "the trailer ends the file";
}

TEST(SongText, NoteNamesCoverTheTable) {
    int note = -1;
    EXPECT_TRUE(song::noteFromName("C-1", note));
    EXPECT_EQ(note, 1);
    EXPECT_TRUE(song::noteFromName("B-4", note));
    EXPECT_EQ(note, 48);
    EXPECT_TRUE(song::noteFromName("A#2", note));
    EXPECT_EQ(note, 23);
    for (int n = 0; n <= 48; ++n) {
        int back = -1;
        ASSERT_TRUE(song::noteFromName(song::noteName(n), back)) << n;
        EXPECT_EQ(back, n);
    }
    EXPECT_FALSE(song::noteFromName("C-0", note));
    EXPECT_FALSE(song::noteFromName("E#2", note));
    EXPECT_EQ(song::noteName(49), "");
}

TEST(SongText, TheGuidesExampleCompilesAndRoundTrips) {
    const std::string guide = readText("docs/song-format.md");
    const size_t start = guide.find("## Example\n");
    const size_t end = guide.find("\n## ", start + 1);
    ASSERT_NE(start, std::string::npos);
    std::string example;
    size_t at = start;
    while ((at = guide.find('\n', at)) != std::string::npos && at < end) {
        ++at;
        size_t next = guide.find('\n', at);
        std::string line = guide.substr(at, next - at);
        if (line.rfind("    ", 0) == 0) example += line.substr(4) + "\n";
    }
    ASSERT_NE(example.find("\npositions\n"), std::string::npos) << "no example found";
    std::vector<song::Diagnostic> problems;
    std::vector<uint8_t> module = compileText(example, Generation::V3, &problems);
    ASSERT_FALSE(module.empty()) << song::formatDiagnostics("example", problems) << example;
    EXPECT_EQ(module[31], 2) << "two positions";
    EXPECT_TRUE(parses(module));
    EXPECT_EQ(roundTrip(module), module);
}
