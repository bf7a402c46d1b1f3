#include "audio/mixer_offline.h"

OfflineMusic::OfflineMusic(const MusicModule& module, bool stereo)
    : mixer(nullptr, &module), sequencer(&module, &mixer) {
    mixer.openChannels(VOICE_COUNT, stereo);  // no sound output: blocks go to the sink only
    for (int16_t channel = 0; channel < VOICE_COUNT; ++channel)
        mixer.setPan(channel, ChannelPans[channel]);
}

void OfflineMusic::renderTicks(long ticks, BlockSink* sink) {
    mixer.setBlockSink(sink);
    for (long i = 0; i < ticks; ++i) {
        sequencer.tick();
        mixer.renderBlock();
    }
    mixer.setBlockSink(nullptr);
}
