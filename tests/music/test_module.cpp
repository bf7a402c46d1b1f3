// Parsing, the older generations, the one-time conversion, the instrument queries, and the
// checks that keep every read inside the image.
#include "tests/music/music_fixture.h"

#include <cstdio>
#include <fstream>

#include "music/music_file.h"

using namespace testmusic;

namespace {

ModuleWriter threeKinds() {
    ModuleWriter w;
    w.title = "twenty-six characters long";
    w.addTable(sineTable(100, 1));
    w.addTable(int8_t(-128));
    w.setSampled(1, "first", {1, 2, 3, 4}, 7, 1, 0x1234);
    w.setSampled(2, "empty", {}, 0, 0, 10);
    w.setSampled(3, "third", {-128, 127}, 0, 0, 64);
    SynthSettings s;
    s.waveformTable = 1;
    s.waveformWords = 8;
    s.volumeEnvelopeControl = 1;
    s.volumeEnvelopeTable = 2;
    s.volumeEnvelopeLength = 300;
    s.volumeEnvelopeSpeed = 3;
    s.pitchModulationControl = 2;
    s.pitchModulationTable = 4;
    s.pitchModulationDepth = 5;
    s.pitchModulationLength = 6;
    s.pitchModulationDelay = 7;
    s.pitchModulationSpeed = 8;
    s.inversionEnvelopeControl = 9;
    s.inversionEnvelopeTable = 10;
    s.inversionEnvelopeLength = 11;
    s.inversionEnvelopeDelay = 12;
    s.inversionEnvelopeSpeed = 13;
    s.waveEffectType = 3;
    s.waveEffectSpeed = 14;
    s.waveEffectDelay = 15;
    s.tailModulationControl = 16;
    s.tailModulationTable = 17;
    s.tailModulationSpeed = 18;
    s.tailModulationDelay = 19;
    s.volume = 33;
    s.tailModulationLength = 500;
    w.setSynthetic(4, s);
    SynthSettings far;
    far.waveformTable = 7;  // beyond the two tables: inside the sample bytes or beyond the file
    w.setSynthetic(5, far);
    uint16_t a = w.addPattern();
    for (int i = 0; i < 6; ++i) w.addPattern();  // patterns 2..7, only 7 is named
    w.addPosition({a, 7, a, a});
    return w;
}

}  // namespace

TEST(ModuleParse, LocatesEverySectionFromTheLargestPatternNumber) {
    ModuleWriter w = threeKinds();
    ParsedModule m(w);
    ASSERT_EQ(m.result, 0);
    const MusicModule& module = *m.module;
    EXPECT_STREQ(module.title(), "twenty-six characters long");  // 26 bytes, then terminated
    EXPECT_EQ(module.signature(), "V.3");
    EXPECT_EQ(module.songLength(), 1);
    EXPECT_EQ(module.patternCount(), 7);
    EXPECT_EQ(module.synthTableCount(), 2);
    EXPECT_EQ(module.positions(), m.image.data() + 512);
    EXPECT_EQ(module.patterns(), m.image.data() + 512 + 16);
    EXPECT_EQ(module.synthTables(), module.patterns() + 7 * 48);
    EXPECT_EQ(module.samples(), module.synthTables() + 2 * 64);
    EXPECT_EQ(module.patternNumber(0, 1), 7);
    EXPECT_EQ(module.patternNumber(0, 0), 1);
}

TEST(ModuleParse, DecodesBothKindsOfInstrumentAndSharesTheSampleCursor) {
    ParsedModule m(threeKinds());
    const MusicModule& module = *m.module;
    SampleQuery first{}, empty{}, third{};
    ASSERT_TRUE(module.sample(1, first));
    EXPECT_EQ(std::string(first.name, 5), "first");
    EXPECT_EQ(first.length, 4);      // words doubled
    EXPECT_EQ(first.loopStart, 7);   // bytes, as stored
    EXPECT_EQ(first.loopLength, 2);  // words doubled
    EXPECT_EQ(first.volume, 0x1234);
    EXPECT_EQ(first.data, module.samples());
    ASSERT_TRUE(module.sample(2, empty));
    ASSERT_TRUE(module.sample(3, third));
    EXPECT_EQ(empty.length, 0);
    EXPECT_EQ(empty.data, module.samples() + 4);
    EXPECT_EQ(third.data, module.samples() + 4);  // length 0 owns no bytes
    EXPECT_EQ(third.data[0], 0);                  // -128 converted
    EXPECT_EQ(third.data[1], 255);                // 127 converted

    WaveformQuery wave{};
    ASSERT_TRUE(module.waveform(4, wave));
    EXPECT_EQ(wave.data, module.synthTables() + 64);
    EXPECT_EQ(wave.length, 16);
    UnitQuery unit{};
    ASSERT_TRUE(module.volumeEnvelope(4, unit));
    EXPECT_EQ(unit.table, 2);
    EXPECT_EQ(unit.length, 300);  // unit lengths are not doubled
    EXPECT_EQ(unit.speed, 3);
    ASSERT_TRUE(module.pitchModulation(4, unit));
    EXPECT_EQ(unit.table, 4);
    EXPECT_EQ(unit.length, 6);
    EXPECT_EQ(unit.speed, 8);
    EXPECT_EQ(unit.depth, 5);
    ASSERT_TRUE(module.inversionEnvelope(4, unit));
    EXPECT_EQ(unit.table, 10);
    EXPECT_EQ(unit.length, 11);
    EXPECT_EQ(unit.speed, 13);
    ASSERT_TRUE(module.tailModulation(4, unit));
    EXPECT_EQ(unit.table, 17);
    EXPECT_EQ(unit.length, 500);
    EXPECT_EQ(unit.speed, 18);
    WaveEffectQuery effect{};
    ASSERT_TRUE(module.waveEffect(4, effect));
    EXPECT_EQ(effect.waveformTable, 1);
    EXPECT_EQ(effect.speed, 14);
    ControlsQuery controls{};
    ASSERT_TRUE(module.controls(4, controls));
    EXPECT_EQ(controls.volumeEnvelope, 1);
    EXPECT_EQ(controls.pitchModulation, 2);
    EXPECT_EQ(controls.inversionEnvelope, 9);
    EXPECT_EQ(controls.waveEffectType, 3);
    EXPECT_EQ(controls.tailModulation, 16);
    DelaysQuery delays{};
    ASSERT_TRUE(module.delays(4, delays));
    EXPECT_EQ(delays.inversionEnvelope, 12);
    EXPECT_EQ(delays.pitchModulation, 7);
    EXPECT_EQ(delays.waveEffect, 15);
    EXPECT_EQ(delays.tailModulation, 19);
    EXPECT_EQ(module.instrument(4)->volume, 33);
}

TEST(ModuleParse, QueriesRefuseWrongKindsAndNumbersWithoutWriting) {
    ParsedModule m(threeKinds());
    const MusicModule& module = *m.module;
    SampleQuery sample{};
    sample.length = 4242;
    EXPECT_FALSE(module.sample(4, sample));
    EXPECT_FALSE(module.sample(0, sample));
    EXPECT_FALSE(module.sample(16, sample));
    EXPECT_EQ(sample.length, 4242);
    WaveformQuery wave{};
    wave.length = 4242;
    EXPECT_FALSE(module.waveform(1, wave));
    EXPECT_FALSE(module.waveform(-1, wave));
    EXPECT_EQ(wave.length, 4242);
    UnitQuery unit{};
    EXPECT_FALSE(module.volumeEnvelope(1, unit));
    EXPECT_FALSE(module.tailModulation(16, unit));
    EXPECT_TRUE(module.isSynthetic(4));
    EXPECT_FALSE(module.isSynthetic(1));
    EXPECT_FALSE(module.isSynthetic(0));
    EXPECT_FALSE(module.isSynthetic(16));
}

TEST(ModuleParse, ParsesOnceAndLaterParsesChangeNothing) {
    ParsedModule m(threeKinds());
    EXPECT_TRUE(m.module->converted());
    // Every new player asks for a parse while others may read the module: a later parse must
    // neither write nor reread it, so a changed record byte is not picked up.
    m.image[32 + 31] = 9;  // instrument 1's volume
    std::vector<uint8_t> before = m.image;
    EXPECT_EQ(m.module->parse(), 0);
    EXPECT_EQ(m.module->parse(), 0);
    EXPECT_EQ(m.image, before);
    EXPECT_EQ(m.module->instrument(1)->volume, 0x1234);
    EXPECT_EQ(m.module->synthTables()[0], 128);  // sine starts at 0
    EXPECT_EQ(m.module->samples()[0], 129);
}

TEST(ModuleGenerations, ZunqReadsAsCurrentWithNoTables) {
    ModuleWriter w = threeKinds();
    w.signature = "ZUNQ";
    ParsedModule m(w);
    ASSERT_EQ(m.result, 0);
    EXPECT_EQ(m.module->signature(), "ZUNQ");
    EXPECT_EQ(m.module->synthTableCount(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(m.image.data()) + 26, 4), std::string("V.3\0", 4));
    EXPECT_EQ(m.module->samples(), m.module->synthTables());
    ControlsQuery controls{};
    EXPECT_TRUE(m.module->controls(4, controls));
    // A second parse finds the upgraded signature and changes nothing.
    std::vector<uint8_t> before = m.image;
    EXPECT_EQ(m.module->parse(), 0);
    EXPECT_EQ(m.image, before);
    EXPECT_EQ(m.module->signature(), "ZUNQ");
}

TEST(ModuleGenerations, V2RecordsAreRearrangedAndKeepTheirTableCount) {
    ModuleWriter w = threeKinds();
    w.signature = "V.2";
    ParsedModule m(w);
    ASSERT_EQ(m.result, 0);
    const MusicModule& module = *m.module;
    EXPECT_EQ(module.signature(), "V.2");
    EXPECT_EQ(module.synthTableCount(), 2);
    const Instrument& upgraded = *module.instrument(4);
    EXPECT_EQ(upgraded.pitchModulationDelay, 7);
    EXPECT_EQ(upgraded.pitchModulationSpeed, 8);
    EXPECT_EQ(upgraded.inversionEnvelopeControl, 9);
    EXPECT_EQ(upgraded.inversionEnvelopeTable, 10);
    EXPECT_EQ(upgraded.inversionEnvelopeLength, 11);
    EXPECT_EQ(upgraded.inversionEnvelopeDelay, 12);
    EXPECT_EQ(upgraded.inversionEnvelopeSpeed, 13);
    EXPECT_EQ(upgraded.volume, 33);
    // The older layout has no waveform effect or tail modulation.
    EXPECT_EQ(upgraded.waveEffectType, 0);
    EXPECT_EQ(upgraded.waveEffectSpeed, 1);
    EXPECT_EQ(upgraded.tailModulationControl, 0);
    EXPECT_EQ(upgraded.tailModulationSpeed, 1);
    EXPECT_EQ(upgraded.tailModulationLength, 0);
    // Sampled records are untouched.
    EXPECT_EQ(module.instrument(1)->volume, 0x1234);
    EXPECT_EQ(m.module->parse(), 0);
    EXPECT_EQ(module.instrument(4)->inversionEnvelopeSpeed, 13);
}

// ---- refused and cut-short images ------------------------------------------------------------

TEST(ModuleSafety, RefusesImagesWhoseHeaderPositionsOrPatternsDoNotFit) {
    std::vector<uint8_t> image = threeKinds().build();
    for (size_t size : {size_t(0), size_t(30), size_t(511)}) {
        std::vector<uint8_t> copy(image.begin(), image.begin() + size);
        MusicModule module(copy.data(), copy.size());
        EXPECT_EQ(module.parse(), 1) << size;
    }
    MusicModule nothing(nullptr, 1000);
    EXPECT_EQ(nothing.parse(), 1);

    std::vector<uint8_t> unknown = image;
    unknown[27] = 'X';
    EXPECT_EQ(MusicModule(unknown.data(), unknown.size()).parse(), 1);

    std::vector<uint8_t> manyPositions = image;
    manyPositions[30] = 0x40;  // 16384 positions
    EXPECT_EQ(MusicModule(manyPositions.data(), manyPositions.size()).parse(), 1);

    std::vector<uint8_t> bigPattern = image;
    bigPattern[512] = 0x12;  // pattern 0x1201
    std::vector<uint8_t> before = bigPattern;
    MusicModule refused(bigPattern.data(), bigPattern.size());
    EXPECT_EQ(refused.parse(), 1);
    EXPECT_EQ(bigPattern, before);  // nothing converted or upgraded
    EXPECT_FALSE(refused.problems().empty());
}

TEST(ModuleSafety, ShortTableAndSampleAreasAreCutAtTheEndOfTheFile) {
    std::vector<uint8_t> image = threeKinds().build();
    size_t tablesAt = 512 + 16 + 7 * 48;
    std::vector<uint8_t> shortTables(image.begin(), image.begin() + tablesAt + 100);
    MusicModule tables(shortTables.data(), shortTables.size());
    ASSERT_EQ(tables.parse(), 0);
    EXPECT_EQ(tables.samples(), shortTables.data() + shortTables.size());
    EXPECT_EQ(tables.tableByte(1, 35), uint8_t(shortTables[tablesAt + 99]));
    EXPECT_EQ(tables.tableByte(1, 36), 128);  // beyond the file
    SampleQuery sample{};
    ASSERT_TRUE(tables.sample(1, sample));
    EXPECT_EQ(sample.length, 0);
    EXPECT_EQ(sample.readable, 0u);
    EXPECT_FALSE(tables.problems().empty());

    std::vector<uint8_t> shortSamples(image.begin(), image.begin() + tablesAt + 128 + 3);
    MusicModule samples(shortSamples.data(), shortSamples.size());
    ASSERT_EQ(samples.parse(), 0);
    ASSERT_TRUE(samples.sample(1, sample));
    EXPECT_EQ(sample.length, 3);
    EXPECT_EQ(shortSamples.back(), uint8_t(3 + 128));  // converted up to the end, not beyond
}

TEST(ModuleSafety, WaveformsAndTableReadsBeyondTheImageAreBounded) {
    ParsedModule m(threeKinds());
    const MusicModule& module = *m.module;
    WaveformQuery wave{};
    ASSERT_TRUE(module.waveform(5, wave));  // table 7: beyond the file
    EXPECT_EQ(wave.data, nullptr);
    EXPECT_EQ(wave.readable, 0u);
    EXPECT_EQ(module.tableByte(255, 65535), 128);
    // Within the file a table beyond the count reads on into the sample bytes.
    EXPECT_EQ(module.tableByte(2, 0), module.samples()[0]);
    EXPECT_EQ(module.tableByte(0, 64), module.synthTables()[64]);

    ModuleWriter w = threeKinds();
    w.setSampled(6, "long", std::vector<int8_t>(600, 5), 0, 0, 64);
    ParsedModule near(w);
    ASSERT_TRUE(near.module->waveform(5, wave));  // table 7 lies inside the sample bytes now
    EXPECT_EQ(wave.data, near.module->synthTables() + 7 * 64);
    EXPECT_EQ(wave.readable, uint32_t(near.image.data() + near.image.size() - wave.data));

    EXPECT_EQ(module.patternRow(0, 0), nullptr);
    EXPECT_EQ(module.patternRow(8, 0), nullptr);
    EXPECT_EQ(module.patternRow(7, 16), nullptr);
    EXPECT_EQ(module.patternRow(7, 15), module.patterns() + 6 * 48 + 45);
    EXPECT_EQ(module.patternNumber(1, 0), 0);  // outside the song
}

// ---- reading the music file ------------------------------------------------------------------

TEST(MusicFileRead, EachRefusalNamesItsProblemAndKeepsNothing) {
    const std::string folder = ::testing::TempDir();
    const std::vector<uint8_t> module = threeKinds().build();
    std::vector<uint8_t> unknown = module;
    unknown[27] = 'X';
    const std::vector<uint8_t> empty;
    const struct {
        const char* name;
        const std::vector<uint8_t>* bytes;  // null: no file
        MusicFileProblem problem;
    } cases[] = {
        {"tarvex_missing.module", nullptr, MusicFileProblem::CannotOpen},
        {"tarvex_empty.module", &empty, MusicFileProblem::Empty},
        {"tarvex_unknown.module", &unknown, MusicFileProblem::NotAModule},
        {"tarvex_good.module", &module, MusicFileProblem::None},
    };
    for (const auto& c : cases) {
        const std::string path = folder + c.name;
        std::remove(path.c_str());
        if (c.bytes) std::ofstream(path, std::ios::binary).write(
            reinterpret_cast<const char*>(c.bytes->data()), std::streamsize(c.bytes->size()));
        const MusicFile music = readMusicFile(path.c_str());
        EXPECT_EQ(music.problem, c.problem) << c.name;
        EXPECT_EQ(music.module != nullptr, c.problem == MusicFileProblem::None) << c.name;
        EXPECT_EQ(music.image.empty(), c.problem != MusicFileProblem::None) << c.name;
    }
    EXPECT_EQ(readMusicFile(folder.c_str()).problem, MusicFileProblem::CannotOpen);
}
