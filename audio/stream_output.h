// The output half of the Mixer: a looping 32768-byte sound ring that plays continuously, and the
// writer that copies each mixed block into it once the play cursor has passed far enough. The
// wait for room is what paces the player thread to real time.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {
class Event;
}

namespace audio {

constexpr uint32_t STREAM_RING_BYTES = platform::SOUND_RING_BYTES;
constexpr int STREAM_POLL_MS = 10;

// Bytes the play cursor has passed since writeOffset: the room for the next block. The cursor
// standing on writeOffset counts as the whole ring free. Both offsets are 0..STREAM_RING_BYTES-1.
uint32_t ringFreeBytes(uint32_t play, uint32_t writeOffset);
// writeOffset moved on by size bytes (size at most STREAM_RING_BYTES), wrapping at the ring's end.
uint32_t ringAdvance(uint32_t writeOffset, uint32_t size);

// The stream's sample format: 8-bit unsigned PCM at 44100 frames per second.
struct StreamFormat {
    uint16_t formatTag = 1;  // PCM
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};
StreamFormat streamFormat(bool stereo);

// What opening the sound output gave: no device at all (opened false), a device that plays
// nothing (opened true, no ring: blocks are mixed and discarded), or a playing ring.
struct SoundOutput {
    bool opened = false;
    std::unique_ptr<platform::SoundRing> ring;
};
using SoundOpener = std::function<SoundOutput(bool stereo)>;
// The platform's sound device: opened with a ring, or not opened when there is no device.
SoundOutput openPlatformSound(bool stereo);

class StreamOutput {
public:
    explicit StreamOutput(SoundOpener opener = openPlatformSound);
    virtual ~StreamOutput();
    StreamOutput(const StreamOutput&) = delete;
    StreamOutput& operator=(const StreamOutput&) = delete;

    // True when the output can play: a playing ring, or a device without one (silent).
    bool open(bool stereo);
    // Waits until the ring has room for size bytes, copies them to writeOffset (wrapping) and
    // returns the new writeOffset; 0 and nothing written without a ring. A failed write drops the
    // block but the offset still advances. The wait polls every 10 ms; while a stop event is set
    // through setStopEvent, the poll waits on it and gives up (nothing written, offset kept) as
    // soon as it is signalled.
    uint32_t writeBlock(const uint8_t* data, uint32_t size);
    // Releases the ring; safe to repeat. writeOffset and the format keep their values.
    void close();

    void setStopEvent(platform::Event* event) { stopEvent = event; }
    bool hasRing() const { return ring != nullptr; }
    uint32_t writeOffset() const { return offset; }
    const StreamFormat& format() const { return streamFormatInUse; }

private:
    // Waits one poll interval; false when the stop event ended the wait.
    bool waitBeforeNextPoll();

    SoundOpener opener;
    std::unique_ptr<platform::SoundRing> ring;
    platform::Event* stopEvent = nullptr;
    StreamFormat streamFormatInUse;
    uint32_t offset = 0;
};

}  // namespace audio
