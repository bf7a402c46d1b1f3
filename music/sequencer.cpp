#include "music/sequencer.h"

#include <algorithm>

const uint16_t PeriodTable[256] = {
    6848, 6464, 6080, 5760, 5440, 5120, 4832, 4576, 4320, 4064, 3840, 3616,  //
    3424, 3232, 3040, 2880, 2720, 2560, 2416, 2288, 2160, 2032, 1920, 1808,  //
    1712, 1616, 1520, 1440, 1360, 1280, 1208, 1144, 1080, 1016, 960,  904,   //
    856,  808,  760,  720,  680,  640,  604,  572,  540,  508,  480,  452,   //
    428,  404,  380,  360,  340,  320,  302,  286,  270,  254,  240,  226,   //
    214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,  113,   //
    107,  101,  95,   90,   85,   80,   76,   72,   68,   64,   60,   57,    //
};

const int16_t VibratoTable[8] = {0, 64, 128, 64, 0, -64, -128, -64};

namespace {

constexpr int NOTE_TABLE_OFFSET = 35;

enum RowEffect : uint8_t {
    EFFECT_ARPEGGIO = 0,
    EFFECT_VOLUME = 1,
    EFFECT_SPEED = 2,
    EFFECT_PERIOD_DOWN = 4,
    EFFECT_PERIOD_UP = 5,
    EFFECT_VIBRATO = 6,
    EFFECT_JUMP = 7,
    EFFECT_SLIDE = 8,
    EFFECT_HELD_ARPEGGIO = 9,
    EFFECT_NO_TRANSPOSE = 10,
    EFFECT_WAVE_EFFECT = 11,
    EFFECT_FLIP_ENVELOPE = 13,
    EFFECT_RESTART_ENVELOPE = 14,
    EFFECT_LEGATO = 15,
};

bool keepsSoundRunning(uint8_t effect) {
    return effect == EFFECT_FLIP_ENVELOPE || effect == EFFECT_RESTART_ENVELOPE ||
           effect == EFFECT_LEGATO;
}

}  // namespace

uint16_t periodOfNote(int8_t note) {
    int entry = NOTE_TABLE_OFFSET + note;
    return entry < 0 ? 0 : PeriodTable[entry];
}

uint16_t rateOfPeriod(uint16_t period) {
    if (period == 0) return 0;
    return uint16_t(std::min<uint32_t>(PERIOD_RATE_CONSTANT / period, 65535));
}

Sequencer::Sequencer(const MusicModule* module, VoiceChannels* mixer)
    : module(module), mixer(mixer) {}

void Sequencer::setPeriodRate(int voice, uint16_t period) {
    mixer->setRate(int16_t(voice), rateOfPeriod(period));
}

void Sequencer::tick() {
    updateVoices();
    tickCounter = int16_t(tickCounter + 1);
    if (tickCounter < speed) return;
    readRow();
    startNotes();
    tickCounter = 0;
    row += 1;
    if (row == PATTERN_ROWS) {
        row = 0;
        if (jumpTarget != -1) {
            position = jumpTarget;
            jumpTarget = -1;
        } else {
            position += 1;
        }
        // A jump beyond the song's end starts it again, like a jump to its end.
        if (position >= module->songLength()) position = 0;
    }
}

void Sequencer::updateVoices() {
    arpeggioPhase = uint16_t(arpeggioPhase + 1);
    if (arpeggioPhase == 3) arpeggioPhase = 0;
    vibratoPhase = uint16_t((vibratoPhase + 1) % 8);
    for (int v = 0; v < VOICE_COUNT; ++v) {
        VoiceState& voice = voices[v];
        if (module->isSynthetic(voice.instrument)) updateSynth(v);
        if (voice.vibrato != 0) applyVibrato(v);
        if (voice.arpeggio != 0)
            applyArpeggio(v, voice.arpeggio);
        else if (voice.effect == EFFECT_ARPEGGIO && voice.parameter != 0)
            applyArpeggio(v, voice.parameter);
        if (voice.slide != 0) applySlide(v, voice.slide);
    }
}

void Sequencer::applyArpeggio(int voice, uint8_t parameter) {
    VoiceState& state = voices[voice];
    int added = arpeggioPhase == 1 ? (parameter & 0x0F) : arpeggioPhase == 2 ? (parameter >> 4) : 0;
    state.period = periodOfNote(int8_t(state.note + added));
    setPeriodRate(voice, state.period);
}

void Sequencer::applySlide(int voice, int8_t step) {
    VoiceState& state = voices[voice];
    state.period = uint16_t(state.period + step);
    setPeriodRate(voice, state.period);
}

void Sequencer::applyVibrato(int voice) {
    const VoiceState& state = voices[voice];
    if (state.note == 0 || state.vibrato == 0) return;
    int offset = VibratoTable[vibratoPhase & 7] / int(state.vibrato);
    setPeriodRate(voice, uint16_t(state.period + offset));
}

uint8_t Sequencer::volumeOfInstrument(uint8_t number) const {
    const Instrument* instrument = module->instrument(number);
    return instrument ? uint8_t(instrument->volume & 0xFF) : 0;
}

void Sequencer::readRow() {
    for (int v = 0; v < VOICE_COUNT; ++v) readVoiceRow(v);
}

void Sequencer::readVoiceRow(int v) {
    VoiceState& voice = voices[v];
    // A voice entry that names pattern 0 (or no song at all) reads as an empty row.
    uint16_t pattern = module->patternNumber(position, v);
    uint8_t instrumentTranspose = 0, noteTranspose = 0;
    if (const uint8_t* entry = module->voiceEntry(position, v)) {
        instrumentTranspose = entry[2];
        noteTranspose = entry[3];
    }
    const uint8_t* bytes = module->patternRow(pattern, row);
    int8_t note = bytes ? int8_t(bytes[0]) : 0;
    uint8_t instrument = bytes ? uint8_t(bytes[1] >> 4) : 0;
    uint8_t effect = bytes ? uint8_t(bytes[1] & 0x0F) : 0;
    uint8_t parameter = bytes ? bytes[2] : 0;

    bool keepNote = effect == EFFECT_NO_TRANSPOSE && (parameter >> 4) != 0;
    bool keepInstrument = effect == EFFECT_NO_TRANSPOSE && (parameter & 0x0F) != 0;
    if (noteTranspose != 0 && note != 0 && !keepNote) note = int8_t(note + noteTranspose);
    if (instrumentTranspose != 0 && instrument != 0 && !keepInstrument)
        instrument = uint8_t(instrument + instrumentTranspose);

    uint16_t period = note != 0 ? periodOfNote(note) : 0;
    voice.retrigger = false;
    if (note != 0) {
        if (instrument == 0) instrument = voice.instrument;
        voice.slide = 0;
        voice.arpeggio = 0;
        voice.vibrato = 0;
        if (!keepsSoundRunning(effect)) {
            voice.retrigger = true;
            mixer->stopChannel(int16_t(v));
            voice.volumeEnvelopePos = 0;
            voice.inversionEnvelopePos = 0;
            voice.tailModulationPos = 0;
            voice.pitchModulationPos = 0;
            voice.volumeEnvelopeCounter = 1;
        }
    }
    voice.newNote = false;
    if (note != 0) {
        voice.newNote = true;
        voice.note = note;
        voice.period = period;
        voice.instrument = instrument;
        voice.volume = volumeOfInstrument(instrument);
    }
    voice.effect = effect;
    voice.parameter = parameter;
    applyRowEffect(v);
}

void Sequencer::applyRowEffect(int v) {
    VoiceState& voice = voices[v];
    uint8_t parameter = voice.parameter;
    switch (voice.effect) {
        case EFFECT_VOLUME:
            voice.volume = parameter;
            mixer->setVolume(int16_t(v), parameter);
            break;
        case EFFECT_SPEED:
            speed = parameter;
            break;
        case EFFECT_PERIOD_DOWN:
            voice.period = uint16_t(voice.period - parameter);
            setPeriodRate(v, voice.period);
            break;
        case EFFECT_PERIOD_UP:
            voice.period = uint16_t(voice.period + parameter);
            setPeriodRate(v, voice.period);
            break;
        case EFFECT_VIBRATO:
            voice.vibrato = parameter;
            voice.slide = 0;
            voice.arpeggio = 0;
            break;
        case EFFECT_JUMP:
            jumpTarget = parameter;
            break;
        case EFFECT_SLIDE:
            voice.slide = int8_t(parameter);
            voice.arpeggio = 0;
            voice.vibrato = 0;
            break;
        case EFFECT_HELD_ARPEGGIO:
            voice.arpeggio = parameter;
            voice.slide = 0;
            voice.vibrato = 0;
            break;
        case EFFECT_WAVE_EFFECT:
            voice.waveEffectType = parameter;
            break;
        case EFFECT_FLIP_ENVELOPE:
            voice.waveEffectType ^= 1;
            [[fallthrough]];
        case EFFECT_RESTART_ENVELOPE:
            voice.volumeEnvelopePos = 0;
            voice.volumeEnvelopeCounter = 1;
            if (voice.volumeEnvelopeControl == 0) voice.volumeEnvelopeControl = 1;
            voice.arpeggio = parameter;
            break;
        case EFFECT_LEGATO:
            voice.arpeggio = parameter;
            break;
        default:  // 0 (arpeggio while the row lasts), 3, 10 and 12 do nothing here
            break;
    }
}

void Sequencer::startNotes() {
    for (int v = 0; v < VOICE_COUNT; ++v) {
        VoiceState& voice = voices[v];
        if (!voice.retrigger) continue;
        int32_t volume = module->isSynthetic(voice.instrument) ? prepareSynthNote(v) : voice.volume;
        mixer->startNote(int16_t(v), voice.instrument, rateOfPeriod(voice.period), volume);
    }
    for (int v = 0; v < VOICE_COUNT; ++v) {
        VoiceState& voice = voices[v];
        if (voice.newNote && voice.period != 0) {
            setPeriodRate(v, voice.period);
            voice.newNote = false;
        }
    }
}
