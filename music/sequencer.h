// The song-playing half of the music player: reads the song's rows, applies the row effects,
// shapes synthetic instruments tick by tick and gives the resulting commands to four channels.
// One `tick` comes before each 882-frame block (20 ms), 50 ticks per second of music.
//
// Every width, wrap-around and order of operations here is part of how a song sounds; the
// sequencer has no thread of its own, so the player thread and offline renders drive it alike.
#pragma once

#include <cstdint>

#include "music/module.h"
#include "music/voice_channels.h"

constexpr int WAVE_BUFFER_BYTES = 32;
constexpr uint32_t PERIOD_RATE_CONSTANT = 3506176;  // rate = constant / period

struct VoiceState {
    int8_t note;        // semitone after transposition, 1..48 in normal songs (table entry 35 +
                        // note); 0 before any
    uint8_t instrument;  // 1..15; 0 none; above 15 (after transposition) starts nothing
    uint16_t period;     // period units, 57..6848 from the table; the channel's rate is
                         // PERIOD_RATE_CONSTANT / period bytes per second, 0 for period 0
    uint8_t effect;      // 0..15, of the last row read
    uint8_t parameter;   // 0..255, of the last row read
    int8_t slide;        // period units added per tick, -128..127; 0 = off
    uint8_t arpeggio;    // held arpeggio, semitones in two nibbles (low: phase 1, high: 2); 0 = off
    uint8_t vibrato;     // divisor 1..255 of the vibrato table's +-128 period units; 0 = off
    uint8_t volume;      // 0..64 in normal songs (the mixer stores more as 64)
    uint16_t volumeEnvelopePos;     // the four units: byte index into their table, 0..length - 1
    uint16_t inversionEnvelopePos;
    uint16_t tailModulationPos;
    uint16_t pitchModulationPos;
    uint8_t volumeEnvelopeCounter;  // the five units: ticks until they next act, 1..255; 0 = 256
    uint8_t inversionEnvelopeCounter;
    uint8_t tailModulationCounter;
    uint8_t pitchModulationCounter;
    uint8_t waveEffectCounter;
    uint8_t volumeEnvelopeControl;  // the four units: 0 off, 1 once through the table, else repeat
    uint8_t pitchModulationControl;
    uint8_t inversionEnvelopeControl;
    uint8_t tailModulationControl;
    uint8_t waveEffectType;  // 0 off, 1 average, 2..5 morph, 6..255 only hand the buffer over
    bool retrigger;          // the instrument restarts on this row
    bool newNote;            // the row carried a note
};

struct WaveBuffer {
    uint8_t bytes[WAVE_BUFFER_BYTES];
};

// Seven octaves of periods at entries 0..83; entries 84..255 are 0. Note n uses entry 35 + n.
extern const uint16_t PeriodTable[256];
extern const int16_t VibratoTable[8];

// The period of note n (signed 8-bit, after transposition or arpeggio); notes below -35 lie
// before the table and get period 0, like the entries past its seven octaves.
uint16_t periodOfNote(int8_t note);
// The channel rate of a period: PERIOD_RATE_CONSTANT / period, 0 for period 0, and at most 65535
// (periods below 54 would give rates that do not fit 16 bits; all rates above 44100 sound alike).
uint16_t rateOfPeriod(uint16_t period);

class Sequencer {
public:
    // Neither the module nor the channels are owned; both must outlive the sequencer. The module
    // must have been parsed successfully.
    Sequencer(const MusicModule* module, VoiceChannels* mixer);
    virtual ~Sequencer() = default;

    void tick();
    void updateVoices();
    void readRow();
    void startNotes();
    void applyArpeggio(int voice, uint8_t parameter);
    void applySlide(int voice, int8_t step);
    void applyVibrato(int voice);

    // Synthesis of synthetic instruments (music/synth.cpp).
    void updateSynth(int voice);
    void averageWave(int voice);
    void morphWave(int voice, uint8_t table, uint8_t step, bool inverted);
    // Note-start set-up of a synthetic voice: fills the wave buffer, hands it over, loads the
    // counters and controls; returns the volume the note starts with.
    int32_t prepareSynthNote(int voice);

    const MusicModule* module;
    VoiceChannels* mixer;
    int32_t row = 0;
    int32_t position = 0;
    int32_t jumpTarget = -1;
    int16_t speed = 6;
    int16_t tickCounter = -16;
    uint16_t arpeggioPhase = 0;  // 0, 1, 2, shared by all voices
    uint16_t vibratoPhase = 0;   // 0..7, shared by all voices
    VoiceState voices[VOICE_COUNT] = {};
    WaveBuffer waveBuffers[VOICE_COUNT] = {};

private:
    void readVoiceRow(int voice);
    void applyRowEffect(int voice);
    void setPeriodRate(int voice, uint16_t period);
    uint8_t volumeOfInstrument(uint8_t number) const;
};
