#include "audio/stream_output.h"

#include "platform/threading.h"

uint32_t ringFreeBytes(uint32_t play, uint32_t writeOffset) {
    if (play > writeOffset) return play - writeOffset;
    return play + STREAM_RING_BYTES - writeOffset;
}

uint32_t ringAdvance(uint32_t writeOffset, uint32_t size) {
    writeOffset += size;
    if (writeOffset >= STREAM_RING_BYTES) writeOffset -= STREAM_RING_BYTES;
    return writeOffset;
}

namespace {

// One pause between two polls; false when the stop event ended it.
bool pauseBeforeNextPoll(platform::Event* stopEvent) {
    if (stopEvent == nullptr) {
        platform::sleepMilliseconds(STREAM_POLL_MS);
        return true;
    }
    return !stopEvent->wait(STREAM_POLL_MS);
}

}  // namespace

bool ringHasRoomFor(uint32_t play, uint32_t writeOffset, uint32_t size) {
    // Strictly more room than the block: a write that filled the ring to the last byte would
    // leave the cursor on writeOffset, which the next poll would take for an empty ring and
    // overwrite a whole ring of sound that has not been played yet.
    return ringFreeBytes(play, writeOffset) > size;
}

uint32_t writeRingBlock(platform::SoundRing& ring, uint32_t writeOffset, const uint8_t* data,
                        uint32_t size, platform::Event* stopEvent) {
    if (size >= STREAM_RING_BYTES || (size > 0 && data == nullptr)) return writeOffset;
    if (size > 0) {
        for (;;) {
            const uint32_t play = ring.playPosition() % STREAM_RING_BYTES;
            if (ringHasRoomFor(play, writeOffset, size)) break;
            if (!pauseBeforeNextPoll(stopEvent)) return writeOffset;
        }
        ring.write(writeOffset, data, size);  // a failed write drops this block only
    }
    return ringAdvance(writeOffset, size);
}

StreamFormat streamFormat(bool stereo) {
    StreamFormat format;
    format.channels = stereo ? 2 : 1;
    format.samplesPerSecond = platform::SOUND_RATE;
    format.blockAlign = format.channels;
    format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
    format.bitsPerSample = 8;
    return format;
}

SoundOutput openPlatformSound(bool stereo) {
    SoundOutput output;
    output.ring = platform::openSoundRing(stereo);
    output.opened = output.ring != nullptr;
    return output;
}
