// The software mixer: a fixed set of channels, each playing unsigned 8-bit bytes (128 = silence)
// at a rate in bytes per second by sample-and-hold, mixed into blocks of 882 frames (20 ms) of
// 8-bit PCM at the sound output's rate (platform::SOUND_RATE, 44100 Hz), stereo (left, right) or
// mono.
//
// Use: construct over the module, `open` (or `openChannels` without output), `setPan` each
// channel, then per tick the sequencer's commands followed by one `renderBlock`. Each block goes
// to `writeBlock` (the stream output, audio/mixer_output.cpp) and to the BlockSink, if one is set.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/stream_output.h"
#include "music/module.h"
#include "music/voice_channels.h"

constexpr int BLOCK_FRAMES = 882;
constexpr uint32_t BLOCK_BYTES = BLOCK_FRAMES * 2;  // room for a stereo block

class MixerChannel {
public:
    virtual ~MixerChannel() = default;

    // Rewinds the channel onto new data and drops any overlay. `readable` bounds the bytes of
    // sample that may be read at all: positions at or beyond it sound as silence (128).
    void setSample(const uint8_t* sample, uint16_t length, uint16_t loopStart, uint16_t loopLength,
                   uint32_t readable = 0x10000);
    void setOverlay(const uint8_t* buffer, uint16_t start, uint16_t length);
    // The channel's contribution to one output frame, then one step of its position.
    void renderSample(uint8_t& first, uint8_t& second);
    // renderSample over `frames` frames, as changes: adds to deltas[i] how much the channel's
    // output byte less 128 at frame i differs from frame i - 1 (from 0 before the first frame
    // and after the sound ends). The same results, stepping whole bytes at a time where the
    // phase allows.
    void renderRun(int32_t* deltas, int frames);

    const uint8_t* sample = nullptr;   // unsigned bytes, 128 = silence; null = nothing to play
    const uint8_t* overlay = nullptr;  // overlayLength bytes that replace sample's in the window
    uint16_t overlayStart = 0;         // first position of the window, 0..65535
    uint16_t overlayLength = 0;        // bytes, 0 = overlay off
    uint16_t length = 0;               // bytes; a one-shot sound ends at this position
    uint16_t loopStart = 0;            // position the loop returns to
    uint16_t loopLength = 0;           // bytes; 2 or less: one-shot
    int32_t volume = 0;                // 0..64, 64 = full scale
    bool leftSide = true;              // first (left) output, else second (right)
    uint16_t position = 0;             // byte now playing, 0..65535
    bool active = false;               // the channel sounds
    double phase = 0.0;  // output frames since the position last moved, 0 or more
    double step = 0.0;   // output frames per source byte, 44100 / rate (rate at least 1)
    uint32_t readable = 0;  // bytes of sample that may be read, 0..65536; past them: silence

private:
    // renderRun's table of what each byte value adds at scaledVolume (INT32_MIN: none yet).
    int32_t scaledVolume = INT32_MIN;
    int8_t scaledBytes[256] = {};
};

// Receives each rendered block (offline rendering, tests).
class BlockSink {
public:
    virtual ~BlockSink() = default;
    virtual void takeBlock(const uint8_t* data, uint32_t size) = 0;
};

class Mixer : public VoiceChannels {
public:
    Mixer(void* window, const MusicModule* module);
    ~Mixer() override;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // ---- channels and mixing --------------------------------------------------------------
    // Allocates channelCount channels in their constructed state and the block; false for a
    // count below 1 or when memory runs out. Replaces channels that existed.
    bool openChannels(int16_t channelCount, bool stereo);
    void releaseChannels();

    bool startNote(int16_t channel, uint8_t instrument, int32_t rate, int32_t volume) override;
    bool stopChannel(int16_t channel) override;
    bool setRate(int16_t channel, int32_t rate) override;
    bool setVolume(int16_t channel, int32_t volume) override;
    bool setOverlay(int16_t channel, const uint8_t* buffer, uint16_t start,
                    uint16_t length) override;
    bool setPan(int16_t channel, int32_t pan);

    // Mixes the next 882 frames into `block` and hands them to writeBlock; false (nothing
    // written) when the mixer has no channels.
    bool renderBlock();
    uint32_t blockSize() const { return stereo ? BLOCK_BYTES : uint32_t(BLOCK_FRAMES); }

    void setBlockSink(BlockSink* sink) { blockSink = sink; }

    // ---- output (audio/mixer_output.cpp) --------------------------------------------------
    // Prepares the channels and the sound output; true when the mixer can play.
    bool open(int16_t channelCount, bool stereo);
    // Passes a block to the sink and the output; returns the output's next write offset (0 while
    // there is no output).
    uint32_t writeBlock(const uint8_t* data, uint32_t size);
    // Releases the output and the channels; safe to repeat.
    void close();

    const MusicModule* module;
    void* window;
    int16_t channelCount = 0;  // 1 or more once open (four in the game); 0 before
    bool stereo = false;       // two bytes per frame (left, right), else one
    std::unique_ptr<MixerChannel[]> channels;
    std::unique_ptr<uint8_t[]> block;  // BLOCK_BYTES: the last block mixed, blockSize() used
    BlockSink* blockSink = nullptr;

    // Output state (audio/mixer_output.cpp).
    StreamFormat format;
    std::unique_ptr<platform::SoundRing> ring;  // null: no output, or a device that plays nothing
    uint32_t writeOffset = 0;                   // bytes into the ring where the next block goes
    SoundOpener soundOpener = openPlatformSound;  // tests hand the mixer a ring of their own
    platform::Event* stopEvent = nullptr;  // when signalled, a wait for room in the ring gives up

private:
    MixerChannel* channelAt(int16_t channel);
};
