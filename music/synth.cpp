// Per-tick synthesis of synthetic instruments: five units, each stepping through a table of the
// module, shape the channel volume, the channel rate and the voice's 32-byte wave buffer.
#include "music/sequencer.h"

namespace {

// One step of a unit's table position. A length of 0 is taken as 1: the unit keeps using its
// first byte instead of running through 65536 positions far beyond its table.
void advanceUnit(uint16_t& position, uint8_t& control, uint16_t length) {
    position = uint16_t(position + 1);
    if (position == (length == 0 ? 1 : length)) {
        position = 0;
        if (control == 1) control = 0;
    }
}

// Counts the unit's counter down; true on the tick it reaches 0, with the counter reloaded.
bool unitActs(uint8_t& counter, uint8_t speed) {
    counter = uint8_t(counter - 1);
    if (counter != 0) return false;
    counter = speed;
    return true;
}

}  // namespace

void Sequencer::updateSynth(int voice) {
    VoiceState& v = voices[voice];
    const Instrument* instrument = module->syntheticInstrument(v.instrument);
    if (!instrument) return;
    uint8_t* buffer = waveBuffers[voice].bytes;
    int16_t channel = int16_t(voice);
    bool changed = false;

    if (v.volumeEnvelopeControl != 0 &&
        unitActs(v.volumeEnvelopeCounter, instrument->volumeEnvelopeSpeed)) {
        uint8_t level = module->tableByte(instrument->volumeEnvelopeTable, v.volumeEnvelopePos);
        mixer->setVolume(channel, uint8_t((level * v.volume) >> 8));
        advanceUnit(v.volumeEnvelopePos, v.volumeEnvelopeControl, instrument->volumeEnvelopeLength);
    }

    if (v.pitchModulationControl != 0 &&
        unitActs(v.pitchModulationCounter, instrument->pitchModulationSpeed)) {
        int depth = instrument->pitchModulationDepth == 0 ? 1 : instrument->pitchModulationDepth;
        int value = module->tableByte(instrument->pitchModulationTable, v.pitchModulationPos);
        int offset = (value - 128) / depth;
        mixer->setRate(channel, rateOfPeriod(uint16_t(v.period + offset)));
        advanceUnit(v.pitchModulationPos, v.pitchModulationControl,
                    instrument->pitchModulationLength);
    }

    if (v.inversionEnvelopeControl != 0 &&
        unitActs(v.inversionEnvelopeCounter, instrument->inversionEnvelopeSpeed)) {
        int inverted =
            module->tableByte(instrument->inversionEnvelopeTable, v.inversionEnvelopePos) >> 3;
        for (int i = 0; i < WAVE_BUFFER_BYTES; ++i) {
            uint8_t b = module->tableByte(instrument->waveformTable, unsigned(i));
            buffer[i] = i < inverted ? uint8_t(255 - b) : b;
        }
        changed = true;
        advanceUnit(v.inversionEnvelopePos, v.inversionEnvelopeControl,
                    instrument->inversionEnvelopeLength);
    }

    if (v.waveEffectType != 0) {
        v.waveEffectCounter = uint8_t(v.waveEffectCounter - 1);
        if (v.waveEffectCounter == 0) {
            v.waveEffectCounter = 1;  // types 2..5 then act on every tick
            changed = true;
            uint8_t table = instrument->waveformTable;
            uint8_t step = instrument->waveEffectSpeed;
            switch (v.waveEffectType) {
                case 1:
                    averageWave(voice);
                    v.waveEffectCounter = step;
                    break;
                case 2:
                    morphWave(voice, table, step, true);
                    break;
                case 3:
                case 5:
                    morphWave(voice, table, step, false);
                    break;
                case 4:
                    morphWave(voice, uint8_t(table + 1), step, false);
                    break;
                default:
                    break;
            }
        }
    }

    if (v.tailModulationControl != 0 &&
        unitActs(v.tailModulationCounter, instrument->tailModulationSpeed)) {
        buffer[WAVE_BUFFER_BYTES - 1] =
            module->tableByte(instrument->tailModulationTable, v.tailModulationPos);
        changed = true;
        advanceUnit(v.tailModulationPos, v.tailModulationControl,
                    instrument->tailModulationLength);
    }

    if (changed) mixer->setOverlay(channel, buffer, 0, WAVE_BUFFER_BYTES);
}

void Sequencer::averageWave(int voice) {
    uint8_t* buffer = waveBuffers[voice].bytes;
    for (int i = 1; i < WAVE_BUFFER_BYTES - 1; ++i)
        buffer[i] = uint8_t((buffer[i - 1] + buffer[i + 1]) >> 1);
}

void Sequencer::morphWave(int voice, uint8_t table, uint8_t step, bool inverted) {
    uint8_t* buffer = waveBuffers[voice].bytes;
    for (int i = 0; i < WAVE_BUFFER_BYTES; ++i) {
        uint8_t target = module->tableByte(table, unsigned(i));
        if (inverted) target = uint8_t(255 - target);
        buffer[i] = buffer[i] < target ? uint8_t(buffer[i] + step) : uint8_t(buffer[i] - step);
    }
}

int32_t Sequencer::prepareSynthNote(int voice) {
    VoiceState& v = voices[voice];
    const Instrument* instrument = module->syntheticInstrument(v.instrument);
    if (!instrument) return v.volume;
    uint8_t* buffer = waveBuffers[voice].bytes;
    for (int i = 0; i < WAVE_BUFFER_BYTES; ++i)
        buffer[i] = module->tableByte(instrument->waveformTable, unsigned(i));
    mixer->setOverlay(int16_t(voice), buffer, 0, WAVE_BUFFER_BYTES);

    v.inversionEnvelopeCounter = uint8_t(instrument->inversionEnvelopeDelay + 1);
    v.tailModulationCounter = uint8_t(instrument->tailModulationDelay + 1);
    v.pitchModulationCounter = uint8_t(instrument->pitchModulationDelay + 1);
    v.waveEffectCounter = uint8_t(instrument->waveEffectDelay + 1);
    v.volumeEnvelopeCounter = instrument->volumeEnvelopeSpeed;
    v.volumeEnvelopeControl = instrument->volumeEnvelopeControl;
    v.pitchModulationControl = instrument->pitchModulationControl;
    v.inversionEnvelopeControl = instrument->inversionEnvelopeControl;
    v.waveEffectType = instrument->waveEffectType;
    v.tailModulationControl = instrument->tailModulationControl;
    if (v.volumeEnvelopeControl == 0) return v.volume;
    return (module->tableByte(instrument->volumeEnvelopeTable, 0) * v.volume) >> 8;
}
