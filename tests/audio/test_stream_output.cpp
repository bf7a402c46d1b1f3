// The Mixer's output half against a ring whose play cursor the test moves.
#include "audio/mixer.h"
#include "audio/stream_output.h"

#include "platform/threading.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <algorithm>
#include <thread>
#include <vector>

namespace {

struct WriteCall {
    uint32_t offset;
    uint32_t size;
};

// A ring that plays only when the test moves its cursor; writes wrap like the device's.
class ManualRing : public platform::SoundRing {
public:
    std::atomic<uint32_t> play{0};
    std::atomic<int> playReads{0};
    bool failWrites = false;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(STREAM_RING_BYTES, 128);
    std::vector<WriteCall> calls;

    uint32_t playPosition() override {
        ++playReads;
        return play.load();
    }
    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override {
        calls.push_back({offset, size});
        if (failWrites) return false;
        for (uint32_t i = 0; i < size; ++i) bytes[(offset + i) % STREAM_RING_BYTES] = data[i];
        return true;
    }
};

// A module image that is only needed to exist: open refuses a mixer without a module.
uint8_t unusedImage[16] = {};
MusicModule unusedModule(unusedImage, sizeof unusedImage);

// Opens a Mixer over a ManualRing that the test keeps a pointer to.
struct ManualOutput {
    ManualRing* ring = nullptr;
    Mixer output{nullptr, &unusedModule};
    ManualOutput() {
        output.soundOpener = [this](bool) {
            SoundOutput opened;
            auto made = std::make_unique<ManualRing>();
            ring = made.get();
            opened.opened = true;
            opened.ring = std::move(made);
            return opened;
        };
        EXPECT_TRUE(output.open(4, true));
    }

    // Moves writeOffset to target with one write while the whole ring counts as free.
    void moveWriteOffsetTo(uint32_t target) {
        ring->play = output.writeOffset;
        std::vector<uint8_t> filler(target - output.writeOffset, 0);
        output.writeBlock(filler.data(), static_cast<uint32_t>(filler.size()));
        ring->calls.clear();
    }
};

std::vector<uint8_t> block(uint32_t size, uint8_t first) {
    std::vector<uint8_t> data(size);
    for (uint32_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(first + i);
    return data;
}

}  // namespace

TEST(RingArithmetic, FreeBytesCountWhatThePlayCursorHasPassed) {
    EXPECT_EQ(ringFreeBytes(1000, 30000), 3768u);  // cursor wrapped past the end
    EXPECT_EQ(ringFreeBytes(30500, 30000), 500u);
    EXPECT_EQ(ringFreeBytes(30000, 30000), STREAM_RING_BYTES);  // on the offset: all free
    EXPECT_EQ(ringFreeBytes(0, 0), STREAM_RING_BYTES);
    EXPECT_EQ(ringFreeBytes(29999, 30000), STREAM_RING_BYTES - 1);
    EXPECT_EQ(ringFreeBytes(0, STREAM_RING_BYTES - 1), 1u);
}

TEST(RingArithmetic, AdvanceWrapsAtTheRingsEnd) {
    EXPECT_EQ(ringAdvance(32000, 1764), 996u);
    EXPECT_EQ(ringAdvance(STREAM_RING_BYTES - 1764, 1764), 0u);  // ends exactly at the end
    EXPECT_EQ(ringAdvance(0, 1764), 1764u);
    EXPECT_EQ(ringAdvance(100, STREAM_RING_BYTES), 100u);
    EXPECT_EQ(ringAdvance(5, 0), 5u);
}

TEST(MixerOutput, WritesAtOnceWhenTheCursorHasPassedFarEnough) {
    ManualOutput out;
    out.moveWriteOffsetTo(30000);
    out.ring->play = 1000;  // 3768 bytes free
    auto data = block(1764, 7);
    EXPECT_EQ(out.output.writeBlock(data.data(), 1764), 31764u);
    ASSERT_EQ(out.ring->calls.size(), 1u);
    EXPECT_EQ(out.ring->calls[0].offset, 30000u);
    EXPECT_EQ(out.ring->calls[0].size, 1764u);
    EXPECT_EQ(out.ring->bytes[30000], 7);
    EXPECT_EQ(out.ring->bytes[31763], static_cast<uint8_t>(7 + 1763));
}

TEST(MixerOutput, CrossingTheEndWrapsAndEndingOnItReturnsToZero) {
    ManualOutput out;
    out.moveWriteOffsetTo(32000);
    out.ring->play = 2000;
    auto data = block(1764, 0);
    EXPECT_EQ(out.output.writeBlock(data.data(), 1764), 996u);
    EXPECT_EQ(out.ring->calls.back().offset, 32000u);
    EXPECT_EQ(out.ring->bytes[32767], static_cast<uint8_t>(767));
    EXPECT_EQ(out.ring->bytes[0], static_cast<uint8_t>(768));
    EXPECT_EQ(out.ring->bytes[995], static_cast<uint8_t>(1763));

    ManualOutput exact;
    exact.moveWriteOffsetTo(STREAM_RING_BYTES - 1764);
    exact.ring->play = 100;
    EXPECT_EQ(exact.output.writeBlock(data.data(), 1764), 0u);
    EXPECT_EQ(exact.output.writeOffset, 0u);
}

TEST(MixerOutput, CursorOnTheWriteOffsetMeansAnEmptyRing) {
    ManualOutput out;
    out.moveWriteOffsetTo(5000);
    out.ring->play = 5000;
    auto data = block(1764, 9);
    EXPECT_EQ(out.output.writeBlock(data.data(), 1764), 6764u);
    std::vector<uint8_t> almostWhole(STREAM_RING_BYTES - 1, 9);
    out.ring->play = 6764;
    EXPECT_EQ(out.output.writeBlock(almostWhole.data(), STREAM_RING_BYTES - 1), 6763u);
    EXPECT_EQ(out.ring->calls.size(), 2u);
}

TEST(RingArithmetic, ABlockNeedsMoreRoomThanItsOwnSizeSoTheRingNeverFillsUp) {
    EXPECT_TRUE(ringHasRoomFor(1000, 30000, 1764));    // 3768 free
    EXPECT_FALSE(ringHasRoomFor(30500, 30000, 1764));  // 500 free
    EXPECT_FALSE(ringHasRoomFor(31764, 30000, 1764));  // exactly one block: it would fill the ring
    EXPECT_TRUE(ringHasRoomFor(31765, 30000, 1764));
    EXPECT_TRUE(ringHasRoomFor(30000, 30000, 1764));   // empty ring
}

TEST(MixerOutput, WritingRightBehindTheCursorNeverOverwritesUnplayedSound) {
    // The cursor moves in steps of 1024 bytes, as a device plays its buffers; the writer writes
    // whenever it is allowed to. Every byte must be played exactly once, in the order written.
    ManualOutput out;
    std::vector<uint8_t> played;
    std::vector<uint8_t> written;
    uint8_t next = 1;
    uint32_t cursor = 0;
    for (int step = 0; step < 3000; ++step) {
        out.ring->play = cursor;
        while (ringHasRoomFor(cursor, out.output.writeOffset, 1764)) {
            auto data = block(1764, next);
            next = static_cast<uint8_t>(next + 7);
            written.insert(written.end(), data.begin(), data.end());
            out.output.writeBlock(data.data(), 1764);
        }
        for (int i = 0; i < 1024; ++i) {
            played.push_back(out.ring->bytes[cursor]);
            out.ring->bytes[cursor] = 0;  // mark as played
            cursor = (cursor + 1) % STREAM_RING_BYTES;
        }
    }
    // After the ring's initial silence, what was played is exactly what was written.
    size_t start = 0;
    while (start < played.size() && played[start] == 128) ++start;
    ASSERT_LT(start, played.size());
    const size_t compared = played.size() - start;
    ASSERT_LE(compared, written.size());
    EXPECT_TRUE(std::equal(played.begin() + start, played.end(), written.begin()))
        << "the writer overwrote sound that had not been played";
}

TEST(MixerOutput, AStopEventEndsTheWaitWithoutWriting) {
    ManualOutput out;
    platform::Event stop(true);
    out.output.stopEvent = &stop;
    out.moveWriteOffsetTo(30000);
    out.ring->play = 30500;
    auto data = block(1764, 1);
    std::thread writer([&] { out.output.writeBlock(data.data(), 1764); });
    while (out.ring->playReads.load() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop.set();
    writer.join();  // a hang here is the fault this test catches
    EXPECT_TRUE(out.ring->calls.empty());
    EXPECT_EQ(out.output.writeOffset, 30000u);
}

TEST(MixerOutput, AFailedWriteDropsTheBlockButTheOffsetAdvances) {
    ManualOutput out;
    out.ring->failWrites = true;
    auto data = block(1764, 50);
    EXPECT_EQ(out.output.writeBlock(data.data(), 1764), 1764u);
    EXPECT_EQ(out.ring->bytes[0], 128);
    out.ring->failWrites = false;
    out.ring->play = 3600;
    EXPECT_EQ(out.output.writeBlock(data.data(), 1764), 3528u);
    EXPECT_EQ(out.ring->bytes[1764], 50);
}

TEST(MixerOutput, BlocksThatCanNeverFitAreRefusedInsteadOfWaitingForever) {
    ManualOutput out;
    std::vector<uint8_t> tooBig(STREAM_RING_BYTES, 1);
    EXPECT_EQ(out.output.writeBlock(tooBig.data(), STREAM_RING_BYTES), 0u);
    EXPECT_EQ(out.output.writeBlock(nullptr, 1764), 0u);
    EXPECT_TRUE(out.ring->calls.empty());
    EXPECT_EQ(out.output.writeBlock(nullptr, 0), 0u);  // an empty block moves nothing
}

TEST(MixerOutput, OpenOutcomesAndRepeatedClose) {
    Mixer noDevice(nullptr, &unusedModule);
    noDevice.soundOpener = [](bool) { return SoundOutput{}; };
    EXPECT_FALSE(noDevice.open(4, true));
    EXPECT_FALSE(noDevice.ring);
    EXPECT_FALSE(noDevice.channels);  // a failed open keeps nothing

    // A device without a ring opens and stays silent: blocks are mixed and discarded at once.
    Mixer silent(nullptr, &unusedModule);
    silent.soundOpener = [](bool) {
        SoundOutput opened;
        opened.opened = true;
        return opened;
    };
    EXPECT_TRUE(silent.open(4, false));
    EXPECT_FALSE(silent.ring);
    EXPECT_TRUE(silent.renderBlock());
    auto data = block(882, 0);
    EXPECT_EQ(silent.writeBlock(data.data(), 882), 0u);
    EXPECT_EQ(silent.format.channels, 1);
    EXPECT_EQ(silent.format.averageBytesPerSecond, 44100u);
    silent.close();
    silent.close();
    EXPECT_FALSE(silent.channels);

    // The headless backend has no sound device; a mixer without a module cannot open at all.
    Mixer headless(nullptr, &unusedModule);
    EXPECT_FALSE(headless.open(4, true));
    EXPECT_EQ(headless.format.channels, 2);
    EXPECT_EQ(headless.format.blockAlign, 2);
    EXPECT_EQ(headless.format.averageBytesPerSecond, 88200u);
    Mixer noModule(nullptr, nullptr);
    noModule.soundOpener = silent.soundOpener;
    EXPECT_FALSE(noModule.open(4, true));

    Mixer neverOpened(nullptr, &unusedModule);
    neverOpened.close();
    neverOpened.close();
}

TEST(MixerOutput, CloseReleasesTheRingAndKeepsTheOffset) {
    ManualOutput out;
    auto data = block(1764, 0);
    out.output.writeBlock(data.data(), 1764);
    out.output.close();
    EXPECT_FALSE(out.output.ring);
    EXPECT_EQ(out.output.writeOffset, 1764u);
    EXPECT_EQ(out.output.writeBlock(data.data(), 1764), 0u);  // nothing to write into
}
