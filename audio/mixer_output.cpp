// The output half of the Mixer: the sound ring its blocks are written into.
#include "audio/mixer.h"

#include "audio/stream_output.h"

#include <utility>

bool Mixer::open(int16_t count, bool stereoOutput) {
    if (module == nullptr) return false;
    if (!openChannels(count, stereoOutput)) return false;
    format = streamFormat(stereoOutput);
    SoundOutput output;
    if (soundOpener) output = soundOpener(stereoOutput);
    if (!output.opened) {
        close();
        return false;
    }
    // Without a ring the Mixer still renders its blocks; writeBlock discards them.
    ring = std::move(output.ring);
    return true;
}

uint32_t Mixer::writeBlock(const uint8_t* data, uint32_t size) {
    if (blockSink != nullptr) blockSink->takeBlock(data, size);
    if (!ring) return 0;
    writeOffset = writeRingBlock(*ring, writeOffset, data, size, stopEvent);
    return writeOffset;
}

void Mixer::close() {
    ring.reset();
    releaseChannels();
}
