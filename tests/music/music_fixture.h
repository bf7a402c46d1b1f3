// Shared helpers for the music tests: a parsed module that owns its image, and a stand-in for
// the mixer that records the channel commands of each tick.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "music/module.h"
#include "music/sequencer.h"
#include "tests/music/module_writer.h"

namespace testmusic {

struct ParsedModule {
    explicit ParsedModule(const ModuleWriter& writer)
        : image(writer.build()), module(new MusicModule(image.data(), image.size())) {
        result = module->parse();
    }
    std::vector<uint8_t> image;
    std::unique_ptr<MusicModule> module;
    int result = -1;
};

struct ChannelCommand {
    std::string op;  // "start", "stop", "rate", "volume", "overlay"
    int channel;
    long value;      // start: rate; rate: rate; volume: volume; overlay: length
    long extra;      // start: volume, instrument in `instrument`
    int instrument;
    long tick;
};

class ChannelRecorder : public VoiceChannels {
public:
    bool startNote(int16_t channel, uint8_t instrument, int32_t rate, int32_t volume) override {
        commands.push_back({"start", channel, rate, volume, instrument, tick});
        return instrument >= 1 && instrument <= 15;
    }
    bool stopChannel(int16_t channel) override {
        commands.push_back({"stop", channel, 0, 0, 0, tick});
        return true;
    }
    bool setRate(int16_t channel, int32_t rate) override {
        commands.push_back({"rate", channel, rate, 0, 0, tick});
        return true;
    }
    bool setVolume(int16_t channel, int32_t volume) override {
        commands.push_back({"volume", channel, volume, 0, 0, tick});
        return true;
    }
    bool setOverlay(int16_t channel, const uint8_t* buffer, uint16_t, uint16_t length) override {
        commands.push_back({"overlay", channel, length, 0, 0, tick});
        lastOverlay = buffer;
        return true;
    }

    // Commands of one kind on one channel, in order.
    std::vector<ChannelCommand> of(const std::string& op, int channel) const {
        std::vector<ChannelCommand> out;
        for (const ChannelCommand& c : commands)
            if (c.op == op && c.channel == channel) out.push_back(c);
        return out;
    }
    // The last value a kind of command set on a channel up to and including a tick; -1 if none.
    long lastValue(const std::string& op, int channel, long upToTick) const {
        long value = -1;
        for (const ChannelCommand& c : commands)
            if (c.op == op && c.channel == channel && c.tick <= upToTick) value = c.value;
        return value;
    }
    std::vector<long> ticksOf(const std::string& op, int channel) const {
        std::vector<long> out;
        for (const ChannelCommand& c : of(op, channel)) out.push_back(c.tick);
        return out;
    }

    std::vector<ChannelCommand> commands;
    const uint8_t* lastOverlay = nullptr;
    long tick = 0;  // the tick being run, counted from 1
};

// A sequencer over a parsed module, ticked with the recorder keeping count.
struct SequencerRig {
    explicit SequencerRig(const ModuleWriter& writer)
        : parsed(writer), sequencer(parsed.module.get(), &recorder) {
        EXPECT_EQ(parsed.result, 0);
    }
    void run(long ticks) {
        for (long i = 0; i < ticks; ++i) {
            recorder.tick += 1;
            sequencer.tick();
        }
    }
    // Runs up to and including tick `last`.
    void runTo(long last) { run(last - recorder.tick); }
    long rateOf(int note) const { return rateOfPeriod(periodOfNote(int8_t(note))); }

    ParsedModule parsed;
    ChannelRecorder recorder;
    Sequencer sequencer;
};

// Sampled instruments 1 ("tone", a 64-byte loop, volume 50) and 2 ("other", volume 30); one
// song position where voice 0 plays pattern 1 and the other voices the empty pattern 2.
inline ModuleWriter oneTone() {
    ModuleWriter w;
    w.setSampled(1, "tone", squareWave(64, 16, 100), 0, 32, 50);
    w.setSampled(2, "other", squareWave(32, 8, 100), 0, 16, 30);
    uint16_t p = w.addPattern();
    uint16_t empty = w.addPattern();
    w.addPosition({p, empty, empty, empty});
    return w;
}

}  // namespace testmusic
