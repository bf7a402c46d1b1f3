// The sound device over SDL's disk driver: what the device plays lands in a file, so the tests
// see the ring and the wave voice exactly as they would be heard.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string tempPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/tarvex_audio_test_" + std::to_string(getpid()) + "_" + name;
}

const std::string outputPath = tempPath("device.raw");

class DiskDevice : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", outputPath.c_str(), 1);
    }
    void TearDown() override { std::remove(outputPath.c_str()); }
};
const auto* const diskDevice = ::testing::AddGlobalTestEnvironment(new DiskDevice);

// The device's output so far as signed 16-bit samples (left, right, left, ...).
std::vector<int16_t> playedSamples() {
    std::ifstream in(outputPath, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

// Waits (at most 5 s) until the device has played at least count more samples than before.
void waitForSamples(size_t before, size_t count) {
    for (int i = 0; i < 500 && playedSamples().size() < before + count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Samples equal to value, give or take the rounding of SDL's format conversion.
size_t countValue(const std::vector<int16_t>& samples, size_t from, int16_t value) {
    size_t n = 0;
    for (size_t i = from; i < samples.size(); ++i) n += std::abs(samples[i] - value) <= 2;
    return n;
}

// A mono 8-bit 44100 Hz WAV file holding frames samples of one value.
std::string writeWave(const char* name, uint8_t value, uint32_t frames) {
    std::string path = tempPath(name);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i))); };
    auto u16 = [&](uint16_t v) { out.put(static_cast<char>(v)); out.put(static_cast<char>(v >> 8)); };
    out.write("RIFF", 4); u32(36 + frames); out.write("WAVE", 4);
    out.write("fmt ", 4); u32(16); u16(1); u16(1); u32(44100); u32(44100); u16(1); u16(8);
    out.write("data", 4); u32(frames);
    for (uint32_t i = 0; i < frames; ++i) out.put(static_cast<char>(value));
    return path;
}

constexpr int16_t HIGH = 64 << 8;    // an 8-bit sample of 192
constexpr int16_t LOW = -(64 << 8);  // an 8-bit sample of 64

TEST(SoundRing, StartsSilentAndItsCursorMoves) {
    size_t before = playedSamples().size();
    auto ring = platform::openSoundRing(true);
    ASSERT_NE(ring, nullptr);
    uint32_t start = ring->playPosition();
    waitForSamples(before, 8192);
    std::vector<int16_t> played = playedSamples();
    EXPECT_EQ(countValue(played, before, 0), played.size() - before);  // nothing but silence
    EXPECT_NE(ring->playPosition(), start);
    EXPECT_LT(ring->playPosition(), platform::SOUND_RING_BYTES);
    EXPECT_EQ(ring->playPosition() % 2, 0u);  // stereo: whole frames
}

TEST(SoundRing, WriteWrapsAtTheEndAndPlaysOnceInOrder) {
    auto ring = platform::openSoundRing(true);
    ASSERT_NE(ring, nullptr);
    // Write while the cursor is away from both ends of the write.
    while (ring->playPosition() < 4000 || ring->playPosition() > 28000)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    size_t before = playedSamples().size();
    std::vector<uint8_t> block(1764);
    for (size_t i = 0; i < block.size(); i += 2) {
        block[i] = 192;     // left
        block[i + 1] = 64;  // right
    }
    EXPECT_TRUE(ring->write(32000, block.data(), static_cast<uint32_t>(block.size())));
    // Wait until the cursor has wrapped and passed the end of the write (32000 + 1764 - 32768).
    uint32_t last = ring->playPosition();
    bool wrapped = false;
    for (int i = 0; i < 2000 && !(wrapped && ring->playPosition() > 2000); ++i) {
        uint32_t now = ring->playPosition();
        wrapped = wrapped || now < last;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(wrapped);
    std::vector<uint8_t> silence(1764, 128);
    EXPECT_TRUE(ring->write(32000, silence.data(), 1764));
    waitForSamples(before, 40000);
    std::vector<int16_t> played = playedSamples();
    // The whole block, 882 stereo frames, played once and contiguously across the ring's end.
    EXPECT_EQ(countValue(played, before, HIGH), 882u);
    EXPECT_EQ(countValue(played, before, LOW), 882u);
    size_t first = before;
    while (first < played.size() && played[first] != HIGH) ++first;
    ASSERT_LT(first + 1764, played.size() + 1);
    for (size_t f = 0; f < 882; ++f) {
        ASSERT_EQ(played[first + 2 * f], HIGH) << f;
        ASSERT_EQ(played[first + 2 * f + 1], LOW) << f;
    }
}

TEST(SoundRing, RefusesWritesOutsideTheRing) {
    auto ring = platform::openSoundRing(false);
    ASSERT_NE(ring, nullptr);
    std::vector<uint8_t> big(platform::SOUND_RING_BYTES + 1, 128);
    EXPECT_FALSE(ring->write(platform::SOUND_RING_BYTES, big.data(), 1));
    EXPECT_FALSE(ring->write(0, big.data(), platform::SOUND_RING_BYTES + 1));
    EXPECT_FALSE(ring->write(0, nullptr, 10));
    EXPECT_TRUE(ring->write(platform::SOUND_RING_BYTES - 1, big.data(), platform::SOUND_RING_BYTES));
    EXPECT_TRUE(ring->write(0, nullptr, 0));
}

TEST(WavePlayer, ANewSoundReplacesThePlayingOne) {
    std::string longSound = writeWave("long.wav", 192, 44100);  // one second
    std::string shortSound = writeWave("short.wav", 64, 441);
    size_t before = playedSamples().size();
    ASSERT_TRUE(platform::playWave(longSound.c_str(), platform::WAVE_ASYNC));
    waitForSamples(before, 4096);
    ASSERT_TRUE(platform::playWave(shortSound.c_str(), platform::WAVE_ASYNC));
    waitForSamples(before, 4096 + 88200 + 8192);
    std::vector<int16_t> played = playedSamples();
    size_t high = countValue(played, before, HIGH);
    EXPECT_GT(high, 0u);
    EXPECT_LT(high, 44100u);  // cut off before its end
    EXPECT_EQ(countValue(played, before, LOW), 882u);  // the short one in full, both channels
    std::remove(longSound.c_str());
    std::remove(shortSound.c_str());
}

TEST(WavePlayer, NoStopFailsWhileASoundPlaysAndLoopsRunUntilStopped) {
    std::string loop = writeWave("loop.wav", 192, 441);  // 10 ms, looped
    std::string shot = writeWave("shot.wav", 64, 2205);   // 50 ms
    ASSERT_TRUE(platform::playWave(loop.c_str(), platform::WAVE_ASYNC | platform::WAVE_LOOP));
    size_t before = playedSamples().size();
    waitForSamples(before, 44100);  // half a second: the 10 ms loop is still going
    EXPECT_FALSE(platform::playWave(shot.c_str(), platform::WAVE_ASYNC | platform::WAVE_NOSTOP));
    EXPECT_GT(countValue(playedSamples(), before, HIGH), 40000u);

    // The shot replaces the loop; a no-stop start fails until the shot has ended.
    ASSERT_TRUE(platform::playWave(shot.c_str(), platform::WAVE_ASYNC));
    EXPECT_FALSE(platform::playWave(loop.c_str(), platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP));
    before = playedSamples().size();
    waitForSamples(before, 4410 + 8192);
    EXPECT_TRUE(platform::playWave(loop.c_str(), platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP));

    // A null path stops the loop: silence follows, and a no-stop start succeeds at once.
    EXPECT_TRUE(platform::playWave(nullptr, 0));
    before = playedSamples().size();
    EXPECT_TRUE(platform::playWave(shot.c_str(), platform::WAVE_ASYNC | platform::WAVE_NOSTOP));
    EXPECT_TRUE(platform::playWave(nullptr, 0));
    waitForSamples(before, 16384);
    std::vector<int16_t> played = playedSamples();
    EXPECT_EQ(countValue(played, played.size() - 4096, HIGH), 0u);
    EXPECT_EQ(countValue(played, played.size() - 4096, LOW), 0u);
    std::remove(loop.c_str());
    std::remove(shot.c_str());
}

TEST(WavePlayer, MissingOrBrokenFilesPlayNothingAndStopTheOldSound) {
    std::string loop = writeWave("loop2.wav", 192, 441);
    std::string broken = tempPath("broken.wav");
    { std::ofstream(broken, std::ios::binary) << "RIFF\x10\0\0\0WAVEjunkjunk"; }
    ASSERT_TRUE(platform::playWave(loop.c_str(), platform::WAVE_ASYNC | platform::WAVE_LOOP));
    EXPECT_FALSE(platform::playWave("data/no-such-sound.wav", platform::WAVE_ASYNC));
    // Nothing plays any more, so a no-stop start succeeds.
    EXPECT_TRUE(platform::playWave(loop.c_str(), platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP));
    EXPECT_FALSE(platform::playWave(broken.c_str(), platform::WAVE_ASYNC));
    EXPECT_FALSE(platform::playWave("", platform::WAVE_ASYNC));
    EXPECT_TRUE(platform::playWave(loop.c_str(), platform::WAVE_ASYNC | platform::WAVE_NOSTOP));
    platform::playWave(nullptr, 0);
    std::remove(loop.c_str());
    std::remove(broken.c_str());
}

TEST(WavePlayer, EachFileIsReadOnceAndPipesOrHugeFilesPlayNothing) {
    const std::string shot = writeWave("once.wav", 64, 441);
    ASSERT_TRUE(platform::playWave(shot.c_str(), platform::WAVE_ASYNC));
    std::remove(shot.c_str());  // read and converted already: later plays need no file
    EXPECT_TRUE(platform::playWave(shot.c_str(), platform::WAVE_ASYNC));

    const std::string pipe = tempPath("pipe.wav");
    std::remove(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);  // nobody writes: reading it would wait for ever
    EXPECT_FALSE(platform::playWave(pipe.c_str(), platform::WAVE_ASYNC));
    // 50 MB of sound (sparse) would take gigabytes once converted: no effect is that long.
    const std::string huge = writeWave("huge.wav", 128, 0);
    {
        std::fstream header(huge, std::ios::in | std::ios::out | std::ios::binary);
        const uint32_t frames = 50u << 20;
        header.seekp(40);
        header.write(reinterpret_cast<const char*>(&frames), 4);
    }
    ASSERT_EQ(truncate(huge.c_str(), 44 + (50 << 20)), 0);
    EXPECT_FALSE(platform::playWave(huge.c_str(), platform::WAVE_ASYNC));
    std::remove(pipe.c_str());
    std::remove(huge.c_str());
}

TEST(WavePlayer, SynchronousPlayReturnsAfterTheSound) {
    std::string shot = writeWave("sync.wav", 64, 2205);
    ASSERT_TRUE(platform::playWave(shot.c_str(), 0));
    EXPECT_TRUE(platform::playWave(shot.c_str(), platform::WAVE_ASYNC | platform::WAVE_NOSTOP));
    platform::playWave(nullptr, 0);
    std::remove(shot.c_str());
}

}  // namespace
