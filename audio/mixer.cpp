#include "audio/mixer.h"

#include <new>
#include <type_traits>

// ---- MixerChannel ----------------------------------------------------------------------------

void MixerChannel::setSample(const uint8_t* newSample, uint16_t newLength, uint16_t newLoopStart,
                             uint16_t newLoopLength, uint32_t newReadable) {
    sample = newSample;
    length = newLength;
    loopStart = newLoopStart;
    loopLength = newLoopLength;
    readable = newReadable;
    position = 0;
    phase = 0.0;
    overlay = nullptr;
    overlayStart = 0;
    overlayLength = 0;
}

void MixerChannel::setOverlay(const uint8_t* buffer, uint16_t start, uint16_t newLength) {
    overlay = buffer;
    overlayStart = start;
    overlayLength = newLength;
}

namespace {

// The byte a channel plays at a position: from the overlay inside its window, else from the
// sample, and silence where the sample has no readable byte.
inline uint8_t fetchByte(const MixerChannel& channel, uint16_t position) {
    if (channel.overlayLength != 0 && position >= channel.overlayStart &&
        uint32_t(position) < uint32_t(channel.overlayStart) + channel.overlayLength)
        return channel.overlay[position - channel.overlayStart];
    return position < channel.readable ? channel.sample[position] : 128;
}

// The output byte of a sample byte at a volume: a floor division by 64 of the signed product,
// stored modulo 256.
inline uint8_t scaledByte(uint8_t sample, int32_t volume) {
    int64_t value = (int64_t(sample) - 128) * volume;
    return uint8_t((value >> 6) + 128);
}

}  // namespace

void MixerChannel::renderSample(uint8_t& first, uint8_t& second) {
    first = 128;
    second = 128;
    if (!active || sample == nullptr) return;
    uint8_t out = scaledByte(fetchByte(*this, position), volume);
    if (leftSide)
        first = out;
    else
        second = out;
    phase += 1.0;
    if (phase < step) return;
    phase -= step;
    position = uint16_t(position + 1);
    if (loopLength > 2) {
        if (uint32_t(position) >= uint32_t(loopStart) + loopLength) position = loopStart;
    } else if (position >= length) {
        active = false;
    }
}

void MixerChannel::renderRun(int32_t* firstSums, int32_t* secondSums, int frames) {
    if (!active || sample == nullptr || frames <= 0) return;
    int32_t* sums = leftSide ? firstSums : secondSums;
    uint16_t pos = position;
    double ph = phase;
    const double st = step;
    const uint32_t loopEnd = uint32_t(loopStart) + loopLength;
    const bool looping = loopLength > 2;
    int f = 0;
    while (f < frames) {
        int32_t contribution = int32_t(scaledByte(fetchByte(*this, pos), volume)) - 128;
        // Hold the byte until the phase reaches the step (or the block ends).
        for (;;) {
            sums[f++] += contribution;
            ph += 1.0;
            if (!(ph < st)) break;
            if (f == frames) goto done;
        }
        ph -= st;
        pos = uint16_t(pos + 1);
        if (looping) {
            if (pos >= loopEnd) pos = loopStart;
        } else if (pos >= length) {
            active = false;
            break;
        }
    }
done:
    position = pos;
    phase = ph;
}

// ---- Mixer -----------------------------------------------------------------------------------

namespace {

// Output frames per source byte at a rate in bytes per second; a rate of 0 or below counts as 1.
double stepForRate(int32_t rate) { return double(MIXER_RATE) / double(rate <= 0 ? 1 : rate); }

}  // namespace

Mixer::Mixer(void* window, const MusicModule* module) : module(module), window(window) {}

Mixer::~Mixer() { close(); }

bool Mixer::openChannels(int16_t count, bool stereoOutput) {
    if (count < 1) return false;
    channelCount = count;
    stereo = stereoOutput;
    // Out of memory is an answer (the player reports the output as not opened), not an end.
    channels.reset(new (std::nothrow) MixerChannel[size_t(count)]);
    if (!channels) return false;
    block.reset(new (std::nothrow) uint8_t[BLOCK_BYTES]());
    return block != nullptr;
}

void Mixer::releaseChannels() {
    channels.reset();
    block.reset();
}

MixerChannel* Mixer::channelAt(int16_t channel) {
    if (!channels || channel < 0 || channel >= channelCount) return nullptr;
    return &channels[channel];
}

bool Mixer::startNote(int16_t channel, uint8_t instrument, int32_t rate, int32_t volume) {
    if (instrument == 0 || instrument > INSTRUMENT_COUNT) return false;
    MixerChannel* target = channelAt(channel);
    if (!target) return false;
    if (volume > 64) volume = 64;

    const uint8_t* data = nullptr;
    uint16_t length = 0, loopStart = 0, loopLength = 0;
    uint32_t readable = 0;
    WaveformQuery wave;
    SampleQuery sampled;
    if (module && module->waveform(instrument, wave)) {
        data = wave.data;
        length = wave.length;
        loopLength = wave.length;
        readable = wave.readable;
    } else if (module && module->sample(instrument, sampled)) {
        data = sampled.data;
        length = sampled.length;
        loopStart = sampled.loopStart;
        loopLength = sampled.loopLength;
        readable = sampled.readable;
    }
    target->setSample(data, length, loopStart, loopLength, readable);
    target->volume = volume;
    target->step = stepForRate(rate);
    target->active = true;
    return true;
}

bool Mixer::stopChannel(int16_t channel) {
    MixerChannel* target = channelAt(channel);
    if (!target) return false;
    target->active = false;
    return true;
}

bool Mixer::setPan(int16_t channel, int32_t pan) {
    MixerChannel* target = channelAt(channel);
    if (!target) return false;
    target->leftSide = !(pan >= 0 && stereo);
    return true;
}

bool Mixer::setRate(int16_t channel, int32_t rate) {
    MixerChannel* target = channelAt(channel);
    if (!target) return false;
    target->step = stepForRate(rate);
    return true;
}

bool Mixer::setVolume(int16_t channel, int32_t volume) {
    MixerChannel* target = channelAt(channel);
    if (!target) return false;
    target->volume = volume > 64 ? 64 : volume;
    return true;
}

bool Mixer::setOverlay(int16_t channel, const uint8_t* buffer, uint16_t start, uint16_t length) {
    MixerChannel* target = channelAt(channel);
    if (!target) return false;
    target->setOverlay(buffer, start, length);
    return true;
}

namespace {

// The running sums start each frame from the previous frame's quotients (not from 0): this
// smooths the mix within a block. Divisor is the channel count, sounding or not; the usual four
// channels pass it as a compile-time constant so that the division becomes cheap.
template <typename Divisor>
void combine(const int32_t* first, const int32_t* second, uint8_t* out, bool stereo,
             Divisor divisor) {
    int32_t left = 0, right = 0;
    for (int f = 0; f < BLOCK_FRAMES; ++f) {
        left = (left + first[f]) / divisor;
        right = (right + second[f]) / divisor;
        if (stereo) {
            out[2 * f] = uint8_t(left + 128);
            out[2 * f + 1] = uint8_t(right + 128);
        } else {
            out[f] = uint8_t(left + 128);
        }
    }
}

}  // namespace

bool Mixer::renderBlock() {
    if (!channels || !block || channelCount < 1) return false;
    int32_t first[BLOCK_FRAMES] = {};
    int32_t second[BLOCK_FRAMES] = {};
    for (int c = 0; c < channelCount; ++c) channels[c].renderRun(first, second, BLOCK_FRAMES);
    if (channelCount == 4)
        combine(first, second, block.get(), stereo, std::integral_constant<int32_t, 4>());
    else
        combine(first, second, block.get(), stereo, int32_t(channelCount));
    writeBlock(block.get(), blockSize());
    return true;
}
