// The channel commands that the sequencer and the synthesis give. The Mixer carries them out;
// tests put a recorder in its place to see what a tick asked for. Voice v drives channel v.
#pragma once

#include <cstdint>

class VoiceChannels {
public:
    virtual ~VoiceChannels() = default;
    virtual bool startNote(int16_t channel, uint8_t instrument, int32_t rate, int32_t volume) = 0;
    virtual bool stopChannel(int16_t channel) = 0;
    virtual bool setRate(int16_t channel, int32_t rate) = 0;
    virtual bool setVolume(int16_t channel, int32_t volume) = 0;
    virtual bool setOverlay(int16_t channel, const uint8_t* buffer, uint16_t start,
                            uint16_t length) = 0;
};
