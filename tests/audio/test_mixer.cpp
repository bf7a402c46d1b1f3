// The mixer's channels (sample-and-hold stepping, loops, volume, sides, overlays) and its block
// mixing with the sums carried from frame to frame.
#include <random>

#include "audio/mixer.h"
#include "tests/music/music_fixture.h"
#include "tests/support/failing_allocations.h"

using namespace testmusic;

namespace {

class CollectSink : public BlockSink {
public:
    void takeBlock(const uint8_t* data, uint32_t size) override {
        blocks.emplace_back(data, data + size);
    }
    std::vector<std::vector<uint8_t>> blocks;
};

// A channel playing data at one byte per `step` frames, full volume, on the left.
MixerChannel playing(const std::vector<uint8_t>& data, uint16_t length, uint16_t loopStart,
                     uint16_t loopLength, double step = 1.0) {
    MixerChannel channel;
    channel.setSample(data.data(), length, loopStart, loopLength, uint32_t(data.size()));
    channel.volume = 64;
    channel.step = step;
    channel.active = true;
    return channel;
}

std::vector<int> firstBytes(MixerChannel& channel, int frames) {
    std::vector<int> out;
    for (int i = 0; i < frames; ++i) {
        uint8_t a, b;
        channel.renderSample(a, b);
        out.push_back(a);
    }
    return out;
}

ModuleWriter twoInstruments() {
    ModuleWriter w;
    w.addTable(sineTable(100, 1));
    w.setSampled(1, "looped", squareWave(40, 8, 100), 6, 10, 64);
    SynthSettings s;
    s.waveformWords = 24;
    w.setSynthetic(2, s);
    uint16_t p = w.addPattern();
    w.addPosition({p, p, p, p});
    return w;
}

}  // namespace

// ---- channels ----------------------------------------------------------------------------------

TEST(MixerChannelPlay, VolumeScalesByFloorDivisionAndStoresModulo256) {
    std::vector<uint8_t> data = {127, 96, 255, 0};
    MixerChannel channel = playing(data, 4, 0, 0);
    channel.volume = 32;
    EXPECT_EQ(firstBytes(channel, 1), std::vector<int>{127});  // -1 x 32 / 64 floors to -1
    channel.volume = 2;
    EXPECT_EQ(firstBytes(channel, 1), std::vector<int>{127});  // -32 x 2 = -64: -1
    channel.volume = 64;
    EXPECT_EQ(firstBytes(channel, 2), (std::vector<int>{255, 0}));
    // Volumes outside 0..64 only reach the channel directly; the store wraps modulo 256.
    MixerChannel loud = playing(data, 4, 0, 0);
    loud.volume = 128;
    EXPECT_EQ(firstBytes(loud, 2), (std::vector<int>{126, 64}));
}

TEST(MixerChannelPlay, LoopsLongerThanTwoRepeatAndShorterOnesPlayOnce) {
    std::vector<uint8_t> data = {10, 20, 30, 40, 50};
    MixerChannel once = playing(data, 4, 1, 2);
    EXPECT_EQ(firstBytes(once, 6), (std::vector<int>{10, 20, 30, 40, 128, 128}));
    EXPECT_FALSE(once.active);
    MixerChannel looped = playing(data, 4, 1, 3);
    EXPECT_EQ(firstBytes(looped, 8), (std::vector<int>{10, 20, 30, 40, 20, 30, 40, 20}));
    EXPECT_TRUE(looped.active);
}

TEST(MixerChannelPlay, LengthZeroSoundsItsFirstByteForOneStep) {
    std::vector<uint8_t> data = {200, 100};
    MixerChannel channel = playing(data, 0, 0, 0, 2.0);
    EXPECT_EQ(firstBytes(channel, 4), (std::vector<int>{200, 200, 128, 128}));
}

TEST(MixerChannelPlay, HoldsEachByteForStepFramesKeepingTheRemainder) {
    std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6};
    MixerChannel channel = playing(data, 6, 0, 0, 2.5);
    EXPECT_EQ(firstBytes(channel, 10),
              (std::vector<int>{1, 1, 1, 2, 2, 3, 3, 3, 4, 4}));
    // A step far below 1 still moves one byte per frame.
    MixerChannel fast = playing(data, 6, 0, 0, 0.25);
    EXPECT_EQ(firstBytes(fast, 4), (std::vector<int>{1, 2, 3, 4}));
}

TEST(MixerChannelPlay, OverlayWindowReplacesPositionsAndSetSampleDropsIt) {
    std::vector<uint8_t> data(40, 50);
    std::vector<uint8_t> overlay(32, 60);
    MixerChannel channel = playing(data, 40, 0, 0);
    channel.setOverlay(overlay.data(), 0, 32);
    std::vector<int> bytes = firstBytes(channel, 34);
    EXPECT_EQ(bytes[0], 60);
    EXPECT_EQ(bytes[31], 60);
    EXPECT_EQ(bytes[32], 50);
    channel.setSample(data.data(), 40, 0, 0, 40);
    EXPECT_EQ(channel.overlay, nullptr);
    EXPECT_EQ(channel.overlayLength, 0);
    EXPECT_EQ(channel.position, 0);
    EXPECT_EQ(firstBytes(channel, 1), std::vector<int>{50});
}

TEST(MixerChannelPlay, BytesBeyondTheReadableAreaSoundAsSilence) {
    std::vector<uint8_t> data = {200, 200};
    MixerChannel channel;
    channel.setSample(data.data(), 10, 0, 0, 2);
    channel.volume = 64;
    channel.step = 1.0;
    channel.active = true;
    EXPECT_EQ(firstBytes(channel, 5), (std::vector<int>{200, 200, 128, 128, 128}));
    EXPECT_TRUE(channel.active);  // the sample still runs to its length
}

// ---- channel operations ----------------------------------------------------------------------

TEST(MixerOperations, StartNoteTakesTheInstrumentsSoundAndClampsVolume) {
    ParsedModule m(twoInstruments());
    Mixer mixer(nullptr, m.module.get());
    ASSERT_TRUE(mixer.openChannels(4, true));
    ASSERT_TRUE(mixer.startNote(0, 1, 8820, 200));
    const MixerChannel& sampled = mixer.channels[0];
    EXPECT_TRUE(sampled.active);
    EXPECT_EQ(sampled.sample, m.module->samples());
    EXPECT_EQ(sampled.length, 40);
    EXPECT_EQ(sampled.loopStart, 6);
    EXPECT_EQ(sampled.loopLength, 20);
    EXPECT_EQ(sampled.volume, 64);
    EXPECT_DOUBLE_EQ(sampled.step, 5.0);

    ASSERT_TRUE(mixer.startNote(1, 2, 0, 30));
    const MixerChannel& synthetic = mixer.channels[1];
    EXPECT_EQ(synthetic.sample, m.module->synthTables());
    EXPECT_EQ(synthetic.loopStart, 0);
    EXPECT_EQ(synthetic.loopLength, 48);
    EXPECT_DOUBLE_EQ(synthetic.step, 44100.0);  // rate 0 plays as 1 Hz

    // Rejected numbers change nothing.
    mixer.channels[0].position = 7;
    EXPECT_FALSE(mixer.startNote(0, 0, 8000, 10));
    EXPECT_FALSE(mixer.startNote(0, 16, 8000, 10));
    EXPECT_FALSE(mixer.startNote(4, 1, 8000, 10));
    EXPECT_FALSE(mixer.startNote(-1, 1, 8000, 10));
    EXPECT_EQ(mixer.channels[0].position, 7);
    EXPECT_EQ(mixer.channels[0].volume, 64);
}

TEST(MixerOperations, RateVolumePanAndOverlayKeepThePositionAndRejectBadChannels) {
    ParsedModule m(twoInstruments());
    Mixer mixer(nullptr, m.module.get());
    ASSERT_TRUE(mixer.openChannels(4, true));
    mixer.startNote(2, 1, 44100, 64);
    MixerChannel& channel = mixer.channels[2];
    channel.position = 9;
    channel.phase = 0.5;
    EXPECT_TRUE(mixer.setRate(2, -5));
    EXPECT_DOUBLE_EQ(channel.step, 44100.0);
    EXPECT_TRUE(mixer.setRate(2, 88200));
    EXPECT_DOUBLE_EQ(channel.step, 0.5);
    EXPECT_TRUE(mixer.setVolume(2, 200));
    EXPECT_EQ(channel.volume, 64);
    EXPECT_TRUE(mixer.setVolume(2, 0));
    EXPECT_EQ(channel.position, 9);
    EXPECT_DOUBLE_EQ(channel.phase, 0.5);
    EXPECT_TRUE(channel.active);

    EXPECT_TRUE(mixer.setPan(2, 0));
    EXPECT_FALSE(channel.leftSide);
    EXPECT_TRUE(mixer.setPan(2, -1));
    EXPECT_TRUE(channel.leftSide);
    mixer.setPan(2, 10000);
    mixer.startNote(2, 1, 8000, 10);
    EXPECT_FALSE(channel.leftSide);  // the side survives new notes

    for (int16_t bad : {int16_t(-1), int16_t(4), int16_t(300)}) {
        EXPECT_FALSE(mixer.setRate(bad, 1000));
        EXPECT_FALSE(mixer.setVolume(bad, 10));
        EXPECT_FALSE(mixer.setPan(bad, 0));
        EXPECT_FALSE(mixer.stopChannel(bad));
        EXPECT_FALSE(mixer.setOverlay(bad, nullptr, 0, 32));
    }
    EXPECT_TRUE(mixer.stopChannel(2));
    EXPECT_FALSE(channel.active);

    Mixer mono(nullptr, m.module.get());
    ASSERT_TRUE(mono.openChannels(4, false));
    mono.setPan(0, 10000);
    EXPECT_TRUE(mono.channels[0].leftSide);
}

TEST(MixerOperations, StartNoteClearsAnOverlaySetBeforeIt) {
    ParsedModule m(twoInstruments());
    Mixer mixer(nullptr, m.module.get());
    ASSERT_TRUE(mixer.openChannels(4, true));
    uint8_t buffer[32] = {};
    mixer.setOverlay(0, buffer, 0, 32);
    mixer.startNote(0, 2, 8000, 64);
    EXPECT_EQ(mixer.channels[0].overlayLength, 0);
    mixer.setOverlay(0, buffer, 0, 32);
    EXPECT_EQ(mixer.channels[0].overlay, buffer);
}

// ---- blocks --------------------------------------------------------------------------------------

TEST(MixerBlocks, SumsCarryFromFrameToFrameWithinABlockAndRestartAtZero) {
    std::vector<uint8_t> high(4, 255), low(4, 0);
    Mixer mixer(nullptr, nullptr);
    ASSERT_TRUE(mixer.openChannels(4, true));
    CollectSink sink;
    mixer.setBlockSink(&sink);
    for (int16_t c = 0; c < 4; ++c) mixer.setPan(c, c == 1 ? 1 : -1);
    mixer.channels[0] = playing(high, 4, 0, 4, 1.0);  // left, +127 every frame
    mixer.channels[1] = playing(low, 4, 0, 4, 1.0);   // right, -128 every frame
    mixer.channels[1].leftSide = false;
    ASSERT_TRUE(mixer.renderBlock());
    ASSERT_TRUE(mixer.renderBlock());
    ASSERT_EQ(sink.blocks.size(), 2u);
    const std::vector<uint8_t>& block = sink.blocks[0];
    ASSERT_EQ(block.size(), 1764u);
    // Left: 127/4 = 31, (31+127)/4 = 39, 41, 42, 42 ... (about 127/3, not 127/4).
    EXPECT_EQ(block[0], 128 + 31);
    EXPECT_EQ(block[2], 128 + 39);
    EXPECT_EQ(block[4], 128 + 41);
    EXPECT_EQ(block[6], 128 + 42);
    EXPECT_EQ(block[1762], 128 + 42);
    // Right: -32, -40, -42, then -170/4 truncates toward zero to -42.
    EXPECT_EQ(block[1], 128 - 32);
    EXPECT_EQ(block[3], 128 - 40);
    EXPECT_EQ(block[5], 128 - 42);
    EXPECT_EQ(block[7], 128 - 42);
    EXPECT_EQ(sink.blocks[1][0], 128 + 31);  // the next block starts from 0 again
}

TEST(MixerBlocks, MonoBlocksHold882FramesAndIdleChannelsStillDivide) {
    std::vector<uint8_t> high(4, 255);
    Mixer mixer(nullptr, nullptr);
    ASSERT_TRUE(mixer.openChannels(2, false));
    CollectSink sink;
    mixer.setBlockSink(&sink);
    mixer.channels[0] = playing(high, 4, 0, 4, 1.0);
    mixer.renderBlock();
    ASSERT_EQ(sink.blocks.at(0).size(), 882u);
    EXPECT_EQ(sink.blocks[0][0], 128 + 63);  // 127 / 2
    EXPECT_EQ(sink.blocks[0][1], 128 + 95);  // (63 + 127) / 2
}

TEST(MixerBlocks, NoChannelsMeansNoBlock) {
    Mixer mixer(nullptr, nullptr);
    EXPECT_FALSE(mixer.openChannels(0, true));
    EXPECT_FALSE(mixer.openChannels(-2, true));
    CollectSink sink;
    mixer.setBlockSink(&sink);
    EXPECT_FALSE(mixer.renderBlock());
    EXPECT_TRUE(sink.blocks.empty());
    EXPECT_FALSE(mixer.startNote(0, 1, 1000, 10));
    FailLargeAllocations outOfMemory(1000);  // the 1764-byte block cannot be had
    EXPECT_FALSE(mixer.openChannels(4, true));
    EXPECT_FALSE(mixer.renderBlock());
}

// Steps of rates the sequencer gives (holds of 1 to 2, 3 to 4, 7 to 8 frames, whose longer hold
// reaches the next power of two), rates above 44100, rate 1, and any rate at all.
static double stepOfRate(std::mt19937& random) {
    const double rates[] = {1, 4096, 8192, 16574, 44100, 61511, 20000.5, 29218, 12259, 5800};
    size_t pick = random() % 12;
    return 44100.0 / (pick < 10 ? rates[pick] : double(1 + random() % 70000));
}

// The block loop works channel by channel and steps whole bytes; it must give exactly what
// per-frame mixing gives.
TEST(MixerBlocks, BlockMixingEqualsFrameByFrameMixing) {
    std::mt19937 random(1234);
    std::vector<uint8_t> data(700);
    for (uint8_t& b : data) b = uint8_t(random());
    std::vector<uint8_t> overlay(32);
    for (uint8_t& b : overlay) b = uint8_t(random());
    for (int round = 0; round < 300; ++round) {
        int16_t count = int16_t(1 + random() % 5);
        bool stereo = random() % 4 != 0;
        Mixer mixer(nullptr, nullptr);
        ASSERT_TRUE(mixer.openChannels(count, stereo));
        std::vector<MixerChannel> reference;
        for (int c = 0; c < count; ++c) {
            MixerChannel channel;
            uint16_t length = uint16_t(random() % 600);
            uint16_t loopStart = uint16_t(random() % 300);
            uint16_t loopLength = uint16_t(random() % 5 == 0 ? random() % 3 : random() % 400);
            channel.setSample(data.data(), length, loopStart, loopLength, uint32_t(data.size()));
            if (random() % 3 == 0) channel.setOverlay(overlay.data(), uint16_t(random() % 8), 32);
            channel.volume = int32_t(random() % 70);
            channel.leftSide = !(stereo && random() % 2);
            channel.step = stepOfRate(random);
            channel.phase = random() % 2 ? 0.0 : (random() % 100) / 50.0;
            channel.position = uint16_t(random() % 200);
            channel.active = random() % 6 != 0;
            mixer.channels[c] = channel;
            reference.push_back(channel);
        }
        CollectSink sink;
        mixer.setBlockSink(&sink);
        for (int block = 0; block < 4; ++block) {
            if (block == 2) {  // a rate change keeps the phase reached
                int16_t c = int16_t(random() % count);
                mixer.channels[c].step = reference[size_t(c)].step = stepOfRate(random);
            }
            mixer.renderBlock();
            int32_t left = 0, right = 0;
            std::vector<uint8_t> expected;
            for (int f = 0; f < 882; ++f) {
                for (MixerChannel& channel : reference) {
                    uint8_t a, b;
                    channel.renderSample(a, b);
                    left += a - 128;
                    right += b - 128;
                }
                left /= count;
                right /= count;
                expected.push_back(uint8_t(left + 128));
                if (stereo) expected.push_back(uint8_t(right + 128));
            }
            ASSERT_EQ(sink.blocks.at(size_t(block)), expected) << round << " " << block;
        }
        for (int c = 0; c < count; ++c) {
            EXPECT_EQ(mixer.channels[c].position, reference[c].position);
            EXPECT_EQ(mixer.channels[c].active, reference[c].active);
            EXPECT_DOUBLE_EQ(mixer.channels[c].phase, reference[c].phase);
        }
    }
}
