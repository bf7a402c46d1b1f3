// The five synthesis units, the wave buffer operations and the note-start set-up of synthetic
// instruments.
#include "tests/music/music_fixture.h"

using namespace testmusic;

namespace {

// Synthetic instrument 1 playing table 0; voice 0 starts note 13 (period 428) on tick 22.
ModuleWriter synthSong(const SynthSettings& settings, std::vector<std::array<int8_t, 64>> tables) {
    ModuleWriter w;
    for (const auto& table : tables) w.addTable(table);
    w.setSynthetic(1, settings);
    uint16_t p = w.addPattern(), empty = w.addPattern();
    w.setRow(p, 0, 13, 1, 0, 0);
    w.addPosition({p, empty, empty, empty});
    return w;
}

std::array<int8_t, 64> table(std::initializer_list<int> firstValues, int rest = 0) {
    std::array<int8_t, 64> out;
    out.fill(int8_t(rest));
    int i = 0;
    for (int v : firstValues) out[i++] = int8_t(v);
    return out;
}

std::array<int8_t, 64> wave() {
    std::array<int8_t, 64> out;
    for (int i = 0; i < 64; ++i) out[i] = int8_t(i * 3 - 90);
    return out;
}

std::vector<uint8_t> unsignedBytes(const std::array<int8_t, 64>& t, int count) {
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i) out.push_back(uint8_t(t[i] + 128));
    return out;
}

std::vector<uint8_t> bufferOf(const Sequencer& s, int voice) {
    return std::vector<uint8_t>(s.waveBuffers[voice].bytes, s.waveBuffers[voice].bytes + 32);
}

}  // namespace

// ---- units -----------------------------------------------------------------------------------

TEST(SynthUnits, VolumeEnvelopeOnceStepsEverySpeedTicksThenHolds) {
    SynthSettings s;
    s.volumeEnvelopeControl = 1;
    s.volumeEnvelopeTable = 1;
    s.volumeEnvelopeLength = 4;
    s.volumeEnvelopeSpeed = 2;
    SequencerRig rig(synthSong(s, {wave(), table({16, 32, 48, 64})}));
    rig.runTo(40);
    // Table bytes 144, 160, 176, 192 (unsigned) at voice volume 64.
    EXPECT_EQ(rig.recorder.of("start", 0)[0].extra, 144 * 64 >> 8);
    EXPECT_EQ(rig.recorder.ticksOf("volume", 0), (std::vector<long>{24, 26, 28, 30}));
    EXPECT_EQ(rig.recorder.lastValue("volume", 0, 40), 192 * 64 >> 8);
    EXPECT_EQ(rig.sequencer.voices[0].volumeEnvelopeControl, 0);

    s.volumeEnvelopeControl = 2;  // repeats
    SequencerRig looping(synthSong(s, {wave(), table({16, 32, 48, 64})}));
    looping.runTo(32);
    EXPECT_EQ(looping.recorder.lastValue("volume", 0, 32), 144 * 64 >> 8);
}

TEST(SynthUnits, VolumeEnvelopeExtremesScaleTheVoiceVolume) {
    SynthSettings s;
    s.volumeEnvelopeControl = 2;
    s.volumeEnvelopeTable = 1;
    s.volumeEnvelopeLength = 2;
    SequencerRig rig(synthSong(s, {wave(), table({127, -128})}));
    rig.runTo(24);
    EXPECT_EQ(rig.recorder.lastValue("volume", 0, 23), 63);
    EXPECT_EQ(rig.recorder.lastValue("volume", 0, 24), 0);
}

TEST(SynthUnits, PitchModulationDividesByDepthAndTakesDepthZeroAsOne) {
    for (uint8_t depth : {0, 2}) {
        SynthSettings s;
        s.pitchModulationControl = 2;
        s.pitchModulationTable = 1;
        s.pitchModulationLength = 1;
        s.pitchModulationDepth = depth;
        SequencerRig rig(synthSong(s, {wave(), table({-10})}));
        rig.runTo(23);  // delay 0: acts on the first tick after the note
        int offset = depth == 0 ? -10 : -5;
        EXPECT_EQ(rig.recorder.lastValue("rate", 0, 23), rateOfPeriod(uint16_t(428 + offset)));
        EXPECT_EQ(rig.sequencer.voices[0].period, 428);
    }
}

TEST(SynthUnits, InversionInvertsItsCountOfBytesFromAFreshCopy) {
    SynthSettings s;
    s.waveformWords = 32;
    s.inversionEnvelopeControl = 2;
    s.inversionEnvelopeTable = 1;
    s.inversionEnvelopeLength = 2;
    s.inversionEnvelopeSpeed = 1;
    SequencerRig rig(synthSong(s, {wave(), table({0, -128})}));
    rig.runTo(23);
    std::vector<uint8_t> expected = unsignedBytes(wave(), 32);
    for (int i = 0; i < 16; ++i) expected[i] = uint8_t(255 - expected[i]);  // 128 >> 3 = 16
    EXPECT_EQ(bufferOf(rig.sequencer, 0), expected);
    EXPECT_EQ(rig.recorder.lastOverlay, rig.sequencer.waveBuffers[0].bytes);

    // A stored -128 inverts nothing but still discards what other units did to the buffer.
    rig.sequencer.averageWave(0);
    rig.runTo(24);
    EXPECT_EQ(bufferOf(rig.sequencer, 0), unsignedBytes(wave(), 32));
}

TEST(SynthUnits, TailModulationWritesTheLastBufferByte) {
    SynthSettings s;
    s.tailModulationControl = 2;
    s.tailModulationTable = 1;
    s.tailModulationLength = 3;
    s.tailModulationDelay = 2;
    SequencerRig rig(synthSong(s, {wave(), table({1, 2, 3})}));
    rig.runTo(24);
    EXPECT_TRUE(rig.recorder.of("overlay", 0).size() == 1);  // only the note start so far
    rig.runTo(25);
    EXPECT_EQ(rig.sequencer.waveBuffers[0].bytes[31], 129);
    rig.runTo(27);
    EXPECT_EQ(rig.sequencer.waveBuffers[0].bytes[31], 131);
    EXPECT_EQ(rig.sequencer.waveBuffers[0].bytes[30], uint8_t(wave()[30] + 128));
}

TEST(SynthUnits, WaveEffectDelayZeroAveragesOnTheFirstTickThenEverySpeedTicks) {
    SynthSettings s;
    s.waveEffectType = 1;
    s.waveEffectSpeed = 3;
    SequencerRig rig(synthSong(s, {wave()}));
    rig.runTo(30);
    EXPECT_EQ(rig.recorder.ticksOf("overlay", 0), (std::vector<long>{22, 23, 26, 29}));
}

TEST(SynthUnits, WaveEffectType4MorphsTowardTheFollowingTable) {
    SynthSettings s;
    s.waveEffectType = 4;
    s.waveEffectSpeed = 1;
    SequencerRig rig(synthSong(s, {table({}, -100), table({}, 100)}));
    rig.runTo(23);
    EXPECT_EQ(bufferOf(rig.sequencer, 0), std::vector<uint8_t>(32, 29));  // 28 + 1
    rig.runTo(24);
    EXPECT_EQ(bufferOf(rig.sequencer, 0), std::vector<uint8_t>(32, 30));
}

TEST(SynthUnits, UnitLengthZeroKeepsUsingTheFirstByte) {
    SynthSettings s;
    s.volumeEnvelopeControl = 1;
    s.volumeEnvelopeTable = 1;
    s.volumeEnvelopeLength = 0;
    SequencerRig rig(synthSong(s, {wave(), table({0, 127})}));
    rig.runTo(23);
    EXPECT_EQ(rig.recorder.lastValue("volume", 0, 23), 32);
    EXPECT_EQ(rig.sequencer.voices[0].volumeEnvelopePos, 0);
    EXPECT_EQ(rig.sequencer.voices[0].volumeEnvelopeControl, 0);  // "once" is over
}

// ---- note start --------------------------------------------------------------------------------

TEST(SynthNoteStart, CopiesTheWaveformLoadsCountersAndStartsWithEnvelopeVolume) {
    SynthSettings s;
    s.volume = 40;
    s.volumeEnvelopeControl = 3;
    s.volumeEnvelopeTable = 1;
    s.volumeEnvelopeLength = 8;
    s.volumeEnvelopeSpeed = 7;
    s.inversionEnvelopeDelay = 255;
    s.pitchModulationDelay = 4;
    s.waveEffectType = 9;
    s.tailModulationControl = 2;
    SequencerRig rig(synthSong(s, {wave(), table({64})}));
    rig.runTo(22);
    const VoiceState& v = rig.sequencer.voices[0];
    EXPECT_EQ(bufferOf(rig.sequencer, 0), unsignedBytes(wave(), 32));
    EXPECT_EQ(v.volumeEnvelopeCounter, 7);
    EXPECT_EQ(v.inversionEnvelopeCounter, 0);  // 255 + 1 in 8 bits: 256 ticks
    EXPECT_EQ(v.pitchModulationCounter, 5);
    EXPECT_EQ(v.waveEffectType, 9);
    EXPECT_EQ(v.tailModulationControl, 2);
    // The buffer is handed over before the start, which then resets the overlay.
    std::vector<ChannelCommand> onTick;
    for (const ChannelCommand& c : rig.recorder.commands)
        if (c.tick == 22 && (c.op == "overlay" || c.op == "start")) onTick.push_back(c);
    ASSERT_EQ(onTick.size(), 2u);
    EXPECT_EQ(onTick[0].op, "overlay");
    EXPECT_EQ(onTick[1].op, "start");
    EXPECT_EQ(onTick[1].extra, 192 * 40 >> 8);
}

// ---- buffer operations -------------------------------------------------------------------------

TEST(SynthBuffer, AverageUsesTheFreshlyAveragedLeftNeighbour) {
    SequencerRig rig(synthSong(SynthSettings(), {wave()}));
    uint8_t* b = rig.sequencer.waveBuffers[0].bytes;
    for (int i = 0; i < 32; ++i) b[i] = i < 16 ? 0 : 255;
    rig.sequencer.averageWave(0);
    std::vector<uint8_t> expected(15, 0);
    for (int v : {127, 191, 223, 239, 247, 251, 253}) expected.push_back(uint8_t(v));
    for (int i = 22; i <= 30; ++i) expected.push_back(254);
    expected.push_back(255);
    EXPECT_EQ(bufferOf(rig.sequencer, 0), expected);
}

TEST(SynthBuffer, MorphSwingsAroundItsTargetWithoutClamping) {
    SequencerRig rig(synthSong(SynthSettings(), {table({}, -28), table({}, 100)}));
    uint8_t* b = rig.sequencer.waveBuffers[0].bytes;
    b[0] = 100;
    b[1] = 2;
    rig.sequencer.morphWave(0, 0, 4, false);  // target 100
    EXPECT_EQ(b[0], 96);
    EXPECT_EQ(b[1], 6);
    rig.sequencer.morphWave(0, 0, 4, false);
    EXPECT_EQ(b[0], 100);
    rig.sequencer.morphWave(0, 0, 4, false);
    EXPECT_EQ(b[0], 96);
    // Inverted target 255 - 228 = 27; bytes wrap modulo 256.
    b[2] = 30;
    b[3] = 3;
    rig.sequencer.morphWave(0, 1, 5, true);
    EXPECT_EQ(b[2], 25);
    EXPECT_EQ(b[3], 8);
    b[4] = 250;
    rig.sequencer.morphWave(0, 1, 10, false);  // target 228, 250 - 10
    EXPECT_EQ(b[4], 240);
    b[5] = 1;
    rig.sequencer.morphWave(0, 0, 4, true);  // target 155: 1 + 4
    EXPECT_EQ(b[5], 5);
}
