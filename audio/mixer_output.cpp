// The mixer's output side. Blocks go to the BlockSink when one is set; the stream into the
// platform's sound ring (audio/stream_output.h) plugs in here: open it in `open`, write in
// `writeBlock`, release it in `close`.
#include "audio/mixer.h"

bool Mixer::open(int16_t count, bool stereoOutput) {
    if (module == nullptr) return false;
    return openChannels(count, stereoOutput);
}

uint32_t Mixer::writeBlock(const uint8_t* data, uint32_t size) {
    if (blockSink) blockSink->takeBlock(data, size);
    return 0;
}

void Mixer::close() {
    releaseChannels();
}
