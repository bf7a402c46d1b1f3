// Test rings for the player: a ring whose play cursor advances in real time like a device's
// (44100 frames per second from the moment it is opened) and keeps every byte written to it in
// order, and openers that hand such rings, or no ring at all, to a StreamOutput.
#pragma once

#include "audio/stream_output.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace testing_audio {

// Counts the ring handles alive across all tests, to see that every player releases its ring.
inline std::atomic<int>& liveRings() {
    static std::atomic<int> count{0};
    return count;
}

class ClockRing : public platform::SoundRing {
public:
    explicit ClockRing(bool stereo, size_t keepBytes = 0)
        : bytesPerSecond(stereo ? 88200 : 44100), opened(std::chrono::steady_clock::now()) {
        // Keeping what is written must not allocate on the writer: both records are bounded.
        written.reserve(keepBytes);
        offsets.reserve(keepBytes / 882 + 16);
    }

    uint32_t playPosition() override {
        ++positionReads;
        const auto elapsed = std::chrono::steady_clock::now() - opened;
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
        const uint64_t played = static_cast<uint64_t>(micros) * bytesPerSecond / 1000000;
        return static_cast<uint32_t>(played % STREAM_RING_BYTES);
    }
    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override {
        std::lock_guard<std::mutex> lock(mutex);
        ++writes;
        if (offsets.size() < offsets.capacity()) offsets.push_back(offset);
        const size_t room = written.capacity() - written.size();
        written.insert(written.end(), data, data + (size < room ? size : room));
        return true;
    }

    std::vector<uint8_t> bytesWritten() {
        std::lock_guard<std::mutex> lock(mutex);
        return written;
    }
    size_t writeCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return writes;
    }
    std::vector<uint32_t> writeOffsets() {
        std::lock_guard<std::mutex> lock(mutex);
        return offsets;
    }

    std::atomic<int> positionReads{0};

private:
    const uint64_t bytesPerSecond;
    const std::chrono::steady_clock::time_point opened;
    std::mutex mutex;
    std::vector<uint8_t> written;
    std::vector<uint32_t> offsets;
    size_t writes = 0;
};

}  // namespace testing_audio

namespace testing_audio {

// What the mixer owns: a handle to a ClockRing that the test may keep after the mixer let go.
class RingHandle : public platform::SoundRing {
public:
    explicit RingHandle(std::shared_ptr<ClockRing> ring) : ring(std::move(ring)) { ++liveRings(); }
    ~RingHandle() override { --liveRings(); }
    uint32_t playPosition() override { return ring->playPosition(); }
    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override {
        return ring->write(offset, data, size);
    }

private:
    std::shared_ptr<ClockRing> ring;
};

}  // namespace testing_audio
