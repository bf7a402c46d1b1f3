// A sound device that goes away (here SDL's disk driver writing to a full disk, /dev/full, which
// SDL reports as a removed device) is replaced by the default device as soon as one can be opened
// again; meanwhile the ring keeps moving, so its writer never waits for ever.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

long fileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? long(info.st_size) : -1;
}

// Waits (at most 5 s) until the file holds more than bytes.
long waitForSize(const std::string& path, long bytes) {
    for (int i = 0; i < 500 && fileSize(path) <= bytes; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fileSize(path);
}

TEST(SoundDeviceLoss, ALostDeviceIsReplacedAndTheRingPlaysOnThroughIt) {
    const char* dir = std::getenv("TMPDIR");
    const std::string base = std::string(dir ? dir : "/tmp") + "/tarvex_audio_loss_" + std::to_string(getpid());
    const std::string output = base + ".raw", link = base + ".link", newLink = base + ".new";
    std::remove(output.c_str());
    std::remove(link.c_str());
    // The device writes through a link: first to /dev/full, where every write fails and the
    // device is lost at once, later to a file. (The environment stays as it is: SDL's threads
    // read it.)
    ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", link.c_str(), 1);
    auto ring = platform::openSoundRing(true);
    ASSERT_NE(ring, nullptr);
    const uint32_t start = ring->playPosition();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_NE(ring->playPosition(), start) << "the ring stood still without a device";

    std::remove(newLink.c_str());
    ASSERT_EQ(symlink(output.c_str(), newLink.c_str()), 0);
    ASSERT_EQ(std::rename(newLink.c_str(), link.c_str()), 0);  // a device can be had again
    const long reopened = waitForSize(output, 0);
    ASSERT_GT(reopened, 0) << "no new device was opened";

    // What the ring holds now is heard on the new device.
    const std::vector<uint8_t> high(platform::SOUND_RING_BYTES, 192);
    ASSERT_TRUE(ring->write(0, high.data(), uint32_t(high.size())));
    const long after = waitForSize(output, reopened + 4 * 32768);
    std::ifstream in(output, std::ios::binary);
    in.seekg(reopened);
    std::vector<char> bytes(size_t(after - reopened));
    in.read(bytes.data(), std::streamsize(bytes.size()));
    size_t loud = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const int16_t sample = int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
        loud += std::abs(sample - (64 << 8)) <= 2;
    }
    EXPECT_GT(loud, 16384u);
    ring.reset();
    std::remove(output.c_str());
    std::remove(link.c_str());
}

}  // namespace
