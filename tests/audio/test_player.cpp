// The music player: start results, stop in every state, pacing with and without a ring, and
// what reaches the ring. These run on real threads (and under ThreadSanitizer).
#include "audio/player.h"

#include "tests/audio/clock_ring.h"
#include "tests/audio/player_song.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <dirent.h>
#include <thread>
#include <vector>

using testing_audio::ClockRing;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t STEREO_BLOCK = 1764;

// Counts the blocks the mixer hands on; runs on the player thread, so it never allocates.
class CountingSink : public BlockSink {
public:
    void takeBlock(const uint8_t*, uint32_t size) override {
        ++blocks;
        lastSize = size;
    }
    std::atomic<int> blocks{0};
    std::atomic<uint32_t> lastSize{0};
};

class CollectingSink : public BlockSink {
public:
    void takeBlock(const uint8_t* data, uint32_t size) override {
        bytes.insert(bytes.end(), data, data + size);
    }
    std::vector<uint8_t> bytes;
};

// An opener that hands out ClockRings and remembers the last one (called by start, on the
// test's own thread).
struct ClockOpener {
    std::shared_ptr<ClockRing> last;
    int opens = 0;
    size_t keepBytes = 0;
    SoundOpener opener() {
        return [this](bool stereo) {
            ++opens;
            SoundOutput output;
            last = std::make_shared<ClockRing>(stereo, keepBytes);
            output.opened = true;
            output.ring = std::make_unique<testing_audio::RingHandle>(last);
            return output;
        };
    }
};

SoundOpener silentDevice() {
    return [](bool) {
        SoundOutput output;
        output.opened = true;  // a device, but no ring: blocks are mixed and dropped
        return output;
    };
}

int threadsInProcess() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            if (entry->d_name[0] != '.') ++count;
        closedir(tasks);
    }
    return count;
}

bool waitUntil(const std::function<bool()>& done, int limitMs = 5000) {
    const auto limit = Clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (Clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// What the player thread should produce: one tick, then one stereo block, over and over.
std::vector<uint8_t> offlineRender(int ticks) {
    auto image = testing_audio::playerTestSong();
    MusicModule module(image.data(), image.size());
    EXPECT_EQ(module.parse(), 0);
    Mixer mixer(nullptr, &module);
    EXPECT_TRUE(mixer.openChannels(4, true));
    const int32_t pans[4] = {-10000, 10000, 10000, -10000};
    for (int16_t channel = 0; channel < 4; ++channel) mixer.setPan(channel, pans[channel]);
    Sequencer sequencer(&module, &mixer);
    CollectingSink sink;
    mixer.setBlockSink(&sink);
    for (int i = 0; i < ticks; ++i) {
        sequencer.tick();
        mixer.renderBlock();
    }
    return sink.bytes;
}

class PlayerTest : public ::testing::Test {
protected:
    std::vector<uint8_t> image = testing_audio::playerTestSong();
    MusicModule module{image.data(), image.size()};
};

}  // namespace

TEST_F(PlayerTest, WritesTheSongIntoTheRingBlockAfterBlockAsTheOfflineRenderHasIt) {
    ClockOpener rings;
    rings.keepBytes = 80 * STEREO_BLOCK;
    MusicPlayer player(&module, nullptr, true, rings.opener());
    ASSERT_EQ(player.start(), PLAYER_STARTED);
    ASSERT_NE(rings.last, nullptr);
    ASSERT_TRUE(waitUntil([&] { return rings.last->writeCount() >= 60; }));
    EXPECT_EQ(player.stop(), 0);

    const auto offsets = rings.last->writeOffsets();
    for (size_t i = 0; i < offsets.size(); ++i)
        ASSERT_EQ(offsets[i], (i * STEREO_BLOCK) % STREAM_RING_BYTES) << "block " << i;
    const auto played = rings.last->bytesWritten();
    const auto expected = offlineRender(static_cast<int>(played.size() / STEREO_BLOCK));
    ASSERT_GE(played.size(), 60 * STEREO_BLOCK);
    EXPECT_TRUE(played == expected) << "the player's blocks differ from the offline render";
}

TEST_F(PlayerTest, TheRingPacesThePlayerToPlayedSound) {
    ClockOpener rings;
    MusicPlayer player(&module, nullptr, true, rings.opener());
    CountingSink sink;
    player.mixerInUse()->setBlockSink(&sink);
    ASSERT_EQ(player.start(), PLAYER_STARTED);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    player.stop();
    // The whole ring is free at first (18 blocks), then one block per 20 ms of played sound:
    // about 38 blocks. A player that ignored the ring would mix hundreds.
    EXPECT_GE(sink.blocks.load(), 10);
    EXPECT_LE(sink.blocks.load(), 80);
    EXPECT_EQ(sink.lastSize.load(), STEREO_BLOCK);
}

TEST_F(PlayerTest, WithoutARingTheTimerAlonePacesThePlayer) {
    MusicPlayer player(&module, nullptr, true, silentDevice());
    CountingSink sink;
    player.mixerInUse()->setBlockSink(&sink);
    ASSERT_EQ(player.start(), PLAYER_STARTED);
    EXPECT_TRUE(player.timerRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    player.stop();
    // About one iteration per 10 ms: some 30, in silence. Free-running would be thousands.
    EXPECT_GE(sink.blocks.load(), 5);
    EXPECT_LE(sink.blocks.load(), 90);
}

TEST_F(PlayerTest, AnInvalidModuleIsRefusedBeforeAnythingIsMade) {
    std::vector<uint8_t> notAModule(600, 0x41);
    MusicModule bad(notAModule.data(), notAModule.size());
    ClockOpener rings;
    MusicPlayer player(&bad, nullptr, true, rings.opener());
    EXPECT_EQ(player.start(), PLAYER_NOT_A_MODULE);
    EXPECT_EQ(rings.opens, 0);
    EXPECT_FALSE(player.mixerInUse()->channels);
    EXPECT_FALSE(player.hasTimerEvent());
    EXPECT_FALSE(player.timerRunning());
    EXPECT_FALSE(player.threadStarted());
    EXPECT_EQ(player.stop(), 0);

    MusicPlayer noModule(nullptr, nullptr, true, rings.opener());
    EXPECT_EQ(noModule.start(), PLAYER_NOT_A_MODULE);
    EXPECT_EQ(rings.opens, 0);
}

TEST_F(PlayerTest, StopIsSafeInEveryStateAndReleasesWhatExists) {
    MusicPlayer neverStarted(&module, nullptr, true, silentDevice());
    EXPECT_EQ(neverStarted.stop(), 0);
    EXPECT_EQ(neverStarted.stop(), 0);

    // No sound device: start fails at the output and made no timer or thread.
    MusicPlayer noDevice(&module, nullptr, true, [](bool) { return SoundOutput{}; });
    EXPECT_EQ(noDevice.start(), PLAYER_NO_OUTPUT);
    EXPECT_FALSE(noDevice.hasTimerEvent());
    EXPECT_FALSE(noDevice.threadStarted());
    EXPECT_EQ(noDevice.stop(), 0);
    EXPECT_EQ(noDevice.stop(), 0);

    ClockOpener rings;
    MusicPlayer playing(&module, nullptr, true, rings.opener());
    ASSERT_EQ(playing.start(), PLAYER_STARTED);
    const int before = testing_audio::liveRings().load();
    EXPECT_EQ(playing.stop(), 0);
    EXPECT_EQ(testing_audio::liveRings().load(), before - 1);
    EXPECT_FALSE(playing.threadStarted());
    EXPECT_FALSE(playing.timerRunning());
    EXPECT_FALSE(playing.hasTimerEvent());
    EXPECT_FALSE(playing.mixerInUse()->channels);
    EXPECT_EQ(playing.stop(), 0);

    // Destroying a playing player stops it first.
    {
        MusicPlayer dropped(&module, nullptr, true, rings.opener());
        ASSERT_EQ(dropped.start(), PLAYER_STARTED);
    }
    EXPECT_EQ(testing_audio::liveRings().load(), before - 1);
}

TEST_F(PlayerTest, ThousandStartStopCyclesEndEveryThreadAndRing) {
    {
        // A first cycle lets the runtime start helper threads of its own (ThreadSanitizer does).
        MusicPlayer warmUp(&module, nullptr, true, silentDevice());
        ASSERT_EQ(warmUp.start(), PLAYER_STARTED);
    }
    const int threadsBefore = threadsInProcess();
    const int ringsBefore = testing_audio::liveRings().load();
    ClockOpener rings;
    auto slowest = Clock::duration::zero();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        MusicPlayer player(&module, nullptr, true, rings.opener());
        ASSERT_EQ(player.start(), PLAYER_STARTED) << "cycle " << cycle;
        // Now and then let it play into a full ring, where the thread waits for room.
        if (cycle % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const auto before = Clock::now();
        player.stop();
        slowest = std::max(slowest, Clock::now() - before);
    }
    // Only a hang is caught here; bench_player measures the stop times.
    EXPECT_LT(slowest, std::chrono::seconds(2));
    EXPECT_EQ(testing_audio::liveRings().load(), ringsBefore);
    EXPECT_EQ(threadsInProcess(), threadsBefore);
}

TEST_F(PlayerTest, StopEndsAThreadWaitingOnADeviceThatStoppedPlaying) {
    // A ring whose cursor never moves: the player fills it and then waits for room forever.
    class FrozenRing : public platform::SoundRing {
    public:
        explicit FrozenRing(std::atomic<int>& writes) : writes(writes) {}
        uint32_t playPosition() override { return 0; }
        bool write(uint32_t, const uint8_t*, uint32_t) override {
            ++writes;
            return true;
        }
        std::atomic<int>& writes;
    };
    std::atomic<int> writes{0};
    MusicPlayer player(&module, nullptr, true, [&writes](bool) {
        SoundOutput output;
        output.opened = true;
        output.ring = std::make_unique<FrozenRing>(writes);
        return output;
    });
    ASSERT_EQ(player.start(), PLAYER_STARTED);
    ASSERT_TRUE(waitUntil([&] { return writes.load() >= 18; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(writes.load(), 18);  // the ring is full: 18 blocks fit, not one more
    const auto before = Clock::now();
    player.stop();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));  // catches a hang only
    EXPECT_FALSE(player.threadStarted());
}

TEST_F(PlayerTest, AStoppedPlayerDoesNotPlayAgain) {
    MusicPlayer player(&module, nullptr, true, silentDevice());
    CountingSink sink;
    player.mixerInUse()->setBlockSink(&sink);
    ASSERT_EQ(player.start(), PLAYER_STARTED);
    player.stop();
    const int blocks = sink.blocks.load();
    player.start();  // the stop request stays: the new thread ends at once
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    player.stop();
    EXPECT_EQ(sink.blocks.load(), blocks);
}
