#include "audio/stream_output.h"

#include "platform/threading.h"

#include <utility>

namespace audio {

uint32_t ringFreeBytes(uint32_t play, uint32_t writeOffset) {
    if (play > writeOffset) return play - writeOffset;
    return play + STREAM_RING_BYTES - writeOffset;
}

uint32_t ringAdvance(uint32_t writeOffset, uint32_t size) {
    writeOffset += size;
    if (writeOffset >= STREAM_RING_BYTES) writeOffset -= STREAM_RING_BYTES;
    return writeOffset;
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

StreamOutput::StreamOutput(SoundOpener opener) : opener(std::move(opener)) {}

StreamOutput::~StreamOutput() { close(); }

bool StreamOutput::open(bool stereo) {
    close();
    streamFormatInUse = streamFormat(stereo);
    if (!opener) return false;
    SoundOutput output = opener(stereo);
    if (!output.opened) return false;
    ring = std::move(output.ring);  // may stay null: a silent output
    return true;
}

uint32_t StreamOutput::writeBlock(const uint8_t* data, uint32_t size) {
    if (!ring) return 0;
    // A block larger than the ring could never find room, and a missing one has nothing to copy.
    if (size > STREAM_RING_BYTES || (size > 0 && data == nullptr)) return offset;
    if (size > 0) {
        for (;;) {
            const uint32_t play = ring->playPosition() % STREAM_RING_BYTES;
            if (ringFreeBytes(play, offset) >= size) break;
            if (!waitBeforeNextPoll()) return offset;
        }
        ring->write(offset, data, size);  // a failed write drops this block only
    }
    offset = ringAdvance(offset, size);
    return offset;
}

bool StreamOutput::waitBeforeNextPoll() {
    if (stopEvent == nullptr) {
        platform::sleepMilliseconds(STREAM_POLL_MS);
        return true;
    }
    return !stopEvent->wait(STREAM_POLL_MS);
}

void StreamOutput::close() { ring.reset(); }

}  // namespace audio
