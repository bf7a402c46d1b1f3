// Plays a parsed module without a thread, clock or sound device: each step is what one iteration
// of the player thread does (one sequencer tick, then one 882-frame block), with the channel
// sides the player sets (channels 0 and 3 left, 1 and 2 right in stereo). The tools, tests,
// fuzz target and benchmark render through it.
#pragma once

#include "audio/mixer.h"
#include "music/sequencer.h"

// The pans the player gives channels 0..3.
constexpr int32_t ChannelPans[VOICE_COUNT] = {-10000, 10000, 10000, -10000};

class OfflineMusic {
public:
    // module must be parsed successfully and outlive this object.
    explicit OfflineMusic(const MusicModule& module, bool stereo = true);
    virtual ~OfflineMusic() = default;

    // Renders `ticks` blocks; each goes to sink (if not null) as it is made.
    void renderTicks(long ticks, BlockSink* sink);

    Mixer mixer;
    Sequencer sequencer;
};
