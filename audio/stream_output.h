// The sound ring behind the Mixer's output: a looping 32768-byte buffer that plays continuously.
// Each mixed block is copied into it once the play cursor has passed far enough; that wait is
// what paces the player thread to real time. The Mixer's open/writeBlock/close
// (audio/mixer_output.cpp) are built from the pieces here.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {
class Event;
}

constexpr uint32_t STREAM_RING_BYTES = platform::SOUND_RING_BYTES;
constexpr int STREAM_POLL_MS = 10;

// Bytes the play cursor has passed since writeOffset: the room for the next block. The cursor
// standing on writeOffset counts as the whole ring free. Both offsets are 0..STREAM_RING_BYTES-1.
uint32_t ringFreeBytes(uint32_t play, uint32_t writeOffset);
// Whether a block of size bytes may be written now: the cursor must have passed more than size
// bytes since writeOffset, so that the ring never becomes completely full. (A full ring would
// put the cursor on writeOffset, which means an empty ring.)
bool ringHasRoomFor(uint32_t play, uint32_t writeOffset, uint32_t size);
// writeOffset moved on by size bytes (size at most STREAM_RING_BYTES), wrapping at the ring's end.
uint32_t ringAdvance(uint32_t writeOffset, uint32_t size);

// Waits until the ring has room for size bytes at writeOffset (ringHasRoomFor), copies them
// (the ring wraps them) and returns writeOffset advanced by size; a failed copy drops the block
// but the offset still advances. The wait polls the play cursor every 10 ms. With a stop event, each pause between
// polls waits on it instead of sleeping, and the write is given up as soon as it is signalled:
// nothing is copied and writeOffset is returned unchanged. Blocks of a whole ring or more, which
// could never find room, and missing data are refused the same way.
uint32_t writeRingBlock(platform::SoundRing& ring, uint32_t writeOffset, const uint8_t* data,
                        uint32_t size, platform::Event* stopEvent);

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
// The platform's sound device: a ring, or not opened when there is no device.
SoundOutput openPlatformSound(bool stereo);
