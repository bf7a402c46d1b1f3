#include "audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// What a sample byte adds to its side's sum: the output byte less 128.
inline int8_t contributionOf(uint8_t sample, int32_t volume) {
    return int8_t(int32_t(scaledByte(sample, volume)) - 128);
}

// Whole bytes at a time. The frame rule adds 1.0 to the phase each frame and subtracts the step
// once the phase reaches it. While the step is at least 1 and the phase lies in [0, 1] on the
// grid of u = 2^(e - 52), where 2^e <= step < 2^(e + 1), each of those additions and
// subtractions is exact, except that a phase reaching 2^(e + 1) is rounded once to a multiple of
// 2u (ties to even). So a byte is held floor(step) or floor(step) + 1 frames, decided and
// followed by the phase in integer units of u, with the same results as frame by frame.
struct WholeSteps {
    uint64_t one = 0;       // 1.0 in units of u
    uint64_t fraction = 0;  // step - floor(step) in units of u
    int32_t whole = 0;      // floor(step), 1..44100 for the mixer's rates
    int shift = 0;          // 52 - e: one = 2^shift
    bool rounds = false;    // floor(step) + 1 = 2^(e + 1): the longer hold rounds the phase
    double unit = 0.0;      // u
};

// Fills `steps` and the phase in units when the phase can be stepped by whole bytes.
// 2^power as a double, for powers within the normal range.
inline double powerOfTwo(int power) {
    const uint64_t bits = uint64_t(1023 + power) << 52;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool wholeSteps(double step, double phase, WholeSteps& steps, uint64_t& units) {
    if (!(step >= 1.0 && step < 1048576.0) || !(phase >= 0.0 && phase <= 1.0)) return false;
    uint64_t bits;
    std::memcpy(&bits, &step, sizeof bits);
    const int e = int(bits >> 52) - 1023;  // a positive normal step: the sign bit is 0
    const uint64_t s = (bits & ((uint64_t(1) << 52) - 1)) | uint64_t(1) << 52;  // step / u
    const double scaled = phase * powerOfTwo(52 - e);
    const uint64_t p = uint64_t(scaled);
    if (double(p) != scaled) return false;  // finer than u: comes from another step
    steps.shift = 52 - e;
    steps.one = uint64_t(1) << steps.shift;
    steps.whole = int32_t(s >> (52 - e));
    steps.fraction = s & (steps.one - 1);
    // A whole step with the phase at exactly 1 holds one frame less once: left to the frame rule.
    if (steps.fraction == 0 && p == steps.one) return false;
    steps.rounds = uint64_t(steps.whole) + 1 == uint64_t(1) << (e + 1);
    steps.unit = powerOfTwo(e - 52);
    units = p;
    return true;
}

// Where the channel reads past its sample: silence, long enough for the most bytes a block can
// play.
const uint8_t* silenceBytes() {
    static const struct Filled {
        uint8_t bytes[BLOCK_FRAMES + 1];
        Filled() { std::memset(bytes, 128, sizeof bytes); }
    } filled;
    return filled.bytes;
}

// The hold of the byte at phase `units` and the phase after it.
inline int32_t nextHold(uint64_t& units, const WholeSteps& s) {
    if (units < s.fraction) {
        uint64_t reached = units;
        if (s.rounds) reached = (units + ((units >> 1) & 1)) & ~uint64_t(1);
        units = reached + s.one - s.fraction;
        return s.whole + 1;
    }
    units -= s.fraction;
    return s.whole;
}

// How a longer hold moves the phase: rounded to an even number of units, for an odd fraction (a
// shorter formula); rounded, for any fraction.
enum class Rounding { oddFraction, any };

// The phase after a longer hold, as the frame rule leaves it.
template <Rounding R>
inline uint64_t afterLongerHold(uint64_t u, uint64_t rest) {
    const uint64_t halfway = (u >> 1) & 1;  // an odd u is a tie: it goes to a multiple of 4
    if (R == Rounding::oddFraction) return (u + (rest - 1) + halfway) | 1;
    return ((u + halfway) & ~uint64_t(1)) + rest;
}

// One byte's hold: the frame moves on by whole + 1 frames and the phase becomes `longer` when
// u < fraction, else by whole frames to `shorter`. Without a branch: which of the two holds comes
// next follows no pattern a predictor could learn, and compilers turn some of these selects into
// branches; on x86-64 one compare serves both the select and the frame.
inline void holdByte(uint64_t& u, int& frame, uint64_t fraction, int32_t whole, uint64_t longer,
                     uint64_t shorter) {
#if defined(__GNUC__) && defined(__x86_64__)
    __asm__("cmpq %[fraction], %[u]\n\tcmovbq %[longer], %[shorter]\n\tadcl %[whole], %[frame]"
            : [shorter] "+r"(shorter), [frame] "+r"(frame)
            : [u] "r"(u), [fraction] "r"(fraction), [longer] "r"(longer), [whole] "r"(whole)
            : "cc");
    u = shorter;
#else
    const bool isLonger = u < fraction;
    frame += whole + int32_t(isLonger);
    u = isLonger ? longer : shorter;
#endif
}

// The hot loop: plays up to `count` bytes from `at` while the frame has not passed `last` (so
// that every hold starts inside the block), and returns how many it played. A byte adds the
// change of the channel's contribution at the frame its hold starts.
template <Rounding R>
uint32_t playBytes(const uint8_t* at, uint32_t count, int32_t* deltas, int& frame, int last,
                   int32_t& held, uint64_t& units, const WholeSteps& s, const int8_t* scaled) {
    int f = frame;
    int32_t previous = held;
    uint64_t u = units;
    const uint64_t fraction = s.fraction, rest = s.one - s.fraction;
    const int32_t whole = s.whole;
    auto play = [&](uint32_t n) {
        const int32_t value = scaled[at[n]];
        deltas[f] += value - previous;
        previous = value;
        holdByte(u, f, fraction, whole, afterLongerHold<R>(u, rest), u - fraction);
    };
    uint32_t n = 0;
    // Two bytes per round while both holds surely start inside the block, then one at a time.
    const int lastPair = last - (whole + 1);
    for (; n + 2 <= count && f <= lastPair; n += 2) {
        play(n);
        play(n + 1);
    }
    for (; n < count && f <= last; ++n) play(n);
    frame = f;
    held = previous;
    units = u;
    return n;
}

// The hot loop where no hold rounds the phase. Then the phase telescopes exactly: byte n >= 1
// starts ceil(n * step - phase) frames after byte 0, which in units of u is one running sum and
// a shift, so no byte waits for the previous byte's choice of hold (the loop above is bound by
// that chain).
uint32_t playBytesExact(const uint8_t* at, uint32_t count, int32_t* deltas, int& frame, int last,
                        int32_t& held, uint64_t& units, const WholeSteps& s, const int8_t* scaled) {
    const int shift = s.shift;
    const uint64_t mask = s.one - 1;
    const uint64_t stepUnits = uint64_t(s.whole) * s.one + s.fraction;
    // In units: frame * one + (one - 1) - phase before the first byte, plus stepUnits per byte
    // played; shifted down, the frame where the next byte starts, and its low bits the phase.
    // (frame + step) * one stays below 2^63 for every step wholeSteps takes.
    uint64_t z = uint64_t(frame) * s.one + mask - units;
    int f = frame;
    int32_t previous = held;
    auto play = [&](uint32_t n) {
        const int32_t value = scaled[at[n]];
        deltas[f] += value - previous;
        previous = value;
        z += stepUnits;
        f = int(z >> shift);
    };
    uint32_t n = 0;
    // Four bytes per round while all four surely start inside the block, then one at a time.
    const int lastFour = last - 3 * (s.whole + 1);
    for (; n + 4 <= count && f <= lastFour; n += 4) {
        play(n);
        play(n + 1);
        play(n + 2);
        play(n + 3);
    }
    for (; n < count && f <= last; ++n) play(n);
    if (n != 0) units = mask - (z & mask);
    frame = f;
    held = previous;
    return n;
}

using PlayBytes = uint32_t (*)(const uint8_t*, uint32_t, int32_t*, int&, int, int32_t&, uint64_t&,
                               const WholeSteps&, const int8_t*);

// Without a hold to 2^(e + 1), or with an even fraction and an even phase, the rounding never
// changes anything (every phase reached stays even).
PlayBytes bytePlayer(const WholeSteps& s, uint64_t units) {
    if (!s.rounds || ((s.fraction | units) & 1) == 0) return playBytesExact;
    return s.fraction & 1 ? playBytes<Rounding::oddFraction> : playBytes<Rounding::any>;
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

void MixerChannel::renderRun(int32_t* deltas, int frames) {
    if (!active || sample == nullptr || frames <= 0) return;
    const int32_t gain = volume;
    const double st = step;
    const bool looping = loopLength > 2;
    const uint32_t loopEnd = uint32_t(loopStart) + loopLength;
    // Advancing onto this position or beyond goes back to the loop start or ends the sound.
    const uint32_t limit = looping ? loopEnd : length;
    const uint32_t overlayEnd = uint32_t(overlayStart) + overlayLength;
    uint16_t pos = position;
    double ph = phase;
    int f = 0;
    int32_t held = 0;  // the contribution now sounding
    WholeSteps steps;
    uint64_t units = 0;
    // Whole bytes need the product of a byte and the volume to fit 32 bits.
    const bool gainFits = gain >= -(1 << 23) && gain <= (1 << 23);
    bool byBytes = gainFits && wholeSteps(st, ph, steps, units);
    // Each byte's contribution at this volume, made again only when the volume has changed.
    if (gainFits && scaledVolume != gain) {
        for (int b = 0; b < 256; ++b) scaledBytes[b] = contributionOf(uint8_t(b), gain);
        scaledVolume = gain;
    }
    const int8_t* scaled = scaledBytes;
    while (f < frames) {
        if (byBytes) {
            // A stretch of positions read from one place, with no loop end inside it.
            const uint8_t* at;
            uint32_t end;
            if (overlayLength != 0 && pos >= overlayStart && pos < overlayEnd) {
                at = overlay + (pos - overlayStart);
                end = overlayEnd;
            } else {
                if (pos < readable) {
                    at = sample + pos;
                    end = readable;
                } else {
                    at = silenceBytes();
                    end = std::min<uint32_t>(pos + BLOCK_FRAMES + 1, 0x10000);
                }
                if (overlayLength != 0 && pos < overlayStart)
                    end = std::min<uint32_t>(end, overlayStart);
            }
            end = std::min(end, pos < limit ? std::min<uint32_t>(limit, 0x10000) : pos + 1u);
            // Holds that start at or before `last` end inside the block.
            const int last = frames - (steps.whole + 1);
            uint32_t p = pos;
            for (;;) {
                if (f <= last) {
                    const uint32_t played = bytePlayer(steps, units)(at, end - p, deltas, f, last,
                                                                     held, units, steps, scaled);
                    at += played;
                    p += played;
                    if (p == end || f == frames) break;
                }
                // Near the block's end: one byte whose hold may reach past it.
                const int32_t value = scaled[*at];
                deltas[f] += value - held;
                held = value;
                const uint64_t before = units;
                const int32_t hold = nextHold(units, steps);
                if (hold > frames - f) {
                    position = uint16_t(p);
                    phase = double(int64_t(before)) * steps.unit + double(frames - f);
                    return;
                }
                f += hold;
                ++at;
                ++p;
                if (p == end || f == frames) break;
            }
            pos = uint16_t(p);
            if (looping) {
                if (pos >= loopEnd) pos = loopStart;
            } else if (pos >= length) {
                active = false;
                break;
            }
            continue;
        }
        // Frame by frame until the phase can be stepped by whole bytes.
        const int32_t value = contributionOf(fetchByte(*this, pos), gain);
        deltas[f++] += value - held;
        held = value;
        ph += 1.0;
        if (ph < st) continue;
        ph -= st;
        pos = uint16_t(pos + 1);
        if (looping) {
            if (pos >= loopEnd) pos = loopStart;
        } else if (pos >= length) {
            active = false;
            break;
        }
        byBytes = gainFits && wholeSteps(st, ph, steps, units);
    }
    if (byBytes) ph = double(int64_t(units)) * steps.unit;  // units < 2^53: exact
    if (f < frames) deltas[f] -= held;  // the sound has ended
    position = pos;
    phase = ph;
}

// ---- Mixer -----------------------------------------------------------------------------------

namespace {

// Output frames per source byte at a rate in bytes per second; a rate of 0 or below counts as 1.
double stepForRate(int32_t rate) { return double(platform::SOUND_RATE) / double(rate <= 0 ? 1 : rate); }

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

// Each side's sum is the running total of its deltas. The running sums start each frame from the
// previous frame's quotients (not from 0): this smooths the mix within a block. Divisor is the
// channel count, sounding or not; the usual four channels pass it as a compile-time constant so
// that the division becomes cheap.
// (sum + add) / divisor, truncated toward zero. Each frame waits for the previous quotient, so
// for a divisor of 4 both roundings come from `sum` at once and only a select and a shift
// follow: a shorter chain than the division's.
inline int32_t quotient(int32_t sum, int32_t add, std::integral_constant<int32_t, 4>) {
    const int32_t up = sum + (add + 3);
#if defined(__GNUC__) && defined(__x86_64__)
    // The sign follows the music, so a branch would be mispredicted half the time, and compilers
    // turn the select below into one: the add's own sign flag picks the rounding instead.
    int32_t down = sum;
    __asm__("addl %[add], %[down]\n\tcmovsl %[up], %[down]"
            : [down] "+r"(down)
            : [add] "r"(add), [up] "r"(up)
            : "cc");
    return down >> 2;
#else
    const int32_t down = sum + add;
    return (down < 0 ? up : down) >> 2;
#endif
}
inline int32_t quotient(int32_t sum, int32_t add, int32_t divisor) { return (sum + add) / divisor; }

template <typename Divisor>
void combine(const int32_t* first, const int32_t* second, uint8_t* out, bool stereo,
             Divisor divisor) {
    int32_t firstSum = 0, secondSum = 0, left = 0, right = 0;
    for (int f = 0; f < BLOCK_FRAMES; ++f) {
        firstSum += first[f];
        secondSum += second[f];
        left = quotient(left, firstSum, divisor);
        right = quotient(right, secondSum, divisor);
        if (stereo) {
            out[2 * f] = uint8_t(left + 128);
            out[2 * f + 1] = uint8_t(right + 128);
        } else {
            out[f] = uint8_t(left + 128);
        }
    }
}

}  // namespace

namespace {

// The block in eight spans of SPAN frames, one per vector lane; the delta arrays are padded with
// zeros to LANES * SPAN frames.
constexpr int LANES = 8;
constexpr int SPAN = (BLOCK_FRAMES + 8 * LANES - 1) / (8 * LANES) * 8;  // a multiple of 8
constexpr int PADDED_FRAMES = LANES * SPAN;

#if defined(__SSE2__)
inline __m128i loadFour(const int32_t* values) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
}

// An 8x8 transpose of 16-bit values: out[c] holds element c of each of in[0..7].
inline void transpose(const __m128i in[8], __m128i out[8]) {
    __m128i a[8], b[8];
    for (int i = 0; i < 4; ++i) {
        a[2 * i] = _mm_unpacklo_epi16(in[2 * i], in[2 * i + 1]);
        a[2 * i + 1] = _mm_unpackhi_epi16(in[2 * i], in[2 * i + 1]);
    }
    for (int i = 0; i < 2; ++i) {
        b[4 * i] = _mm_unpacklo_epi32(a[4 * i], a[4 * i + 2]);
        b[4 * i + 1] = _mm_unpackhi_epi32(a[4 * i], a[4 * i + 2]);
        b[4 * i + 2] = _mm_unpacklo_epi32(a[4 * i + 1], a[4 * i + 3]);
        b[4 * i + 3] = _mm_unpackhi_epi32(a[4 * i + 1], a[4 * i + 3]);
    }
    for (int i = 0; i < 4; ++i) {
        out[2 * i] = _mm_unpacklo_epi64(b[i], b[i + 4]);
        out[2 * i + 1] = _mm_unpackhi_epi64(b[i], b[i + 4]);
    }
}

// Stereo, four channels: the two sides' quotient chains in eight spans at once, in 16 bits (the
// sums of four channels and the quotients stay within +-1024). Spans 1..7 start from a guessed
// quotient of 0 with their true running sums; each quotient only depends on the previous one,
// and a wrong start fades out within a few frames, so each span is then redone from the true end
// of the span before it until it meets the guessed values, and from there on they are equal.
// The result is the same as frame by frame.
void combineStereoFour(const int32_t (*deltas)[PADDED_FRAMES], uint8_t* out) {
    alignas(16) int16_t quotients[2][SPAN][LANES];
    int32_t starts[2][LANES] = {};  // each side's running sum before each span
    for (int side = 0; side < 2; ++side) {
        __m128i totals[LANES - 1];
        for (__m128i& total : totals) total = _mm_setzero_si128();
        for (int j = 0; j < SPAN; j += 4)
            for (int k = 0; k < LANES - 1; ++k)
                totals[k] = _mm_add_epi32(totals[k], loadFour(deltas[side] + k * SPAN + j));
        for (int k = 1; k < LANES; ++k) {
            alignas(16) int32_t parts[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(parts), totals[k - 1]);
            starts[side][k] = starts[side][k - 1] + parts[0] + parts[1] + parts[2] + parts[3];
        }
    }
    // Both sides in one loop, so that their chains overlap; eight frames of each span at a time,
    // turned into eight steps of the eight spans. The chain keeps -sum: the sign of
    // quotient + sum is then quotient < -sum, known while the sum itself is being added.
    __m128i negativeSums[2], quotient[2];
    for (int side = 0; side < 2; ++side) {
        int16_t negated[LANES];
        for (int k = 0; k < LANES; ++k) negated[k] = int16_t(-starts[side][k]);
        negativeSums[side] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(negated));
        quotient[side] = _mm_setzero_si128();
    }
    const __m128i three = _mm_set1_epi16(3);
    for (int j = 0; j < SPAN; j += 8) {
        __m128i steps[2][8];
        for (int side = 0; side < 2; ++side) {
            __m128i rows[8];
            for (int k = 0; k < LANES; ++k) {
                const int32_t* d = deltas[side] + k * SPAN + j;
                rows[k] = _mm_packs_epi32(loadFour(d), loadFour(d + 4));
            }
            transpose(rows, steps[side]);
        }
        for (int i = 0; i < 8; ++i) {
            for (int side = 0; side < 2; ++side) {
                negativeSums[side] = _mm_sub_epi16(negativeSums[side], steps[side][i]);
                const __m128i negative = _mm_cmpgt_epi16(negativeSums[side], quotient[side]);
                const __m128i t = _mm_sub_epi16(quotient[side], negativeSums[side]);
                quotient[side] =
                    _mm_srai_epi16(_mm_add_epi16(t, _mm_and_si128(negative, three)), 2);
                _mm_store_si128(reinterpret_cast<__m128i*>(quotients[side][j + i]), quotient[side]);
            }
        }
    }
    for (int side = 0; side < 2; ++side) {
        for (int k = 1; k < LANES; ++k) {
            int32_t q = quotients[side][SPAN - 1][k - 1], running = starts[side][k];
            for (int j = 0; j < SPAN; ++j) {
                running += deltas[side][k * SPAN + j];
                q = (q + running) / 4;
                if (q == quotients[side][j][k]) break;
                quotients[side][j][k] = int16_t(q);
            }
        }
    }
    // Back to frame order, (left, right) byte pairs: eight frames of one span at a time.
    alignas(16) uint8_t bytes[2 * PADDED_FRAMES];
    const __m128i low = _mm_set1_epi16(0xFF), bias = _mm_set1_epi16(128);
    for (int j = 0; j < SPAN; j += 8) {
        __m128i rows[2][8], spans[2][8];  // spans[side][k]: frames j..j+7 of span k
        for (int side = 0; side < 2; ++side) {
            for (int r = 0; r < 8; ++r)
                rows[side][r] =
                    _mm_load_si128(reinterpret_cast<const __m128i*>(quotients[side][j + r]));
            transpose(rows[side], spans[side]);
        }
        for (int k = 0; k < LANES; ++k) {
            const __m128i first = _mm_unpacklo_epi16(spans[0][k], spans[1][k]);
            const __m128i second = _mm_unpackhi_epi16(spans[0][k], spans[1][k]);
            const __m128i wrappedFirst = _mm_and_si128(_mm_add_epi16(first, bias), low);
            const __m128i wrappedSecond = _mm_and_si128(_mm_add_epi16(second, bias), low);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + 2 * (k * SPAN + j)),
                             _mm_packus_epi16(wrappedFirst, wrappedSecond));
        }
    }
    std::memcpy(out, bytes, BLOCK_BYTES);
}
#endif

}  // namespace

bool Mixer::renderBlock() {
    if (!channels || !block || channelCount < 1) return false;
    int32_t deltas[2][PADDED_FRAMES] = {};
    for (int c = 0; c < channelCount; ++c)
        channels[c].renderRun(deltas[channels[c].leftSide ? 0 : 1], BLOCK_FRAMES);
#if defined(__SSE2__)
    if (channelCount == 4 && stereo)
        combineStereoFour(deltas, block.get());
    else
#endif
    if (channelCount == 4)
        combine(deltas[0], deltas[1], block.get(), stereo, std::integral_constant<int32_t, 4>());
    else
        combine(deltas[0], deltas[1], block.get(), stereo, int32_t(channelCount));
    writeBlock(block.get(), blockSize());
    return true;
}
