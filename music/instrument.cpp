#include "music/module.h"

#include <cstring>

void Instrument::load(const uint8_t* record, const uint8_t* sampleCursor,
                      const uint8_t* synthTables, const uint8_t* imageEnd) {
    *this = Instrument();
    if (record[rec::MARKER] != SYNTHETIC_MARKER) {
        kind = INSTRUMENT_SAMPLED;
        std::memcpy(name, record + rec::NAME, sizeof name);
        length = sampleBytesOfRecord(record);
        loopStart = readBE16(record + rec::LOOP_START);
        loopLength = uint16_t(readBE16(record + rec::LOOP_LENGTH) * 2);
        volume = readBE16(record + rec::SAMPLE_VOLUME);
        data = sampleCursor;
        readable = uint32_t(imageEnd - sampleCursor);
        return;
    }
    kind = INSTRUMENT_SYNTHETIC;
    marker = record[rec::MARKER];
    waveformTable = record[rec::WAVE_TABLE];
    waveformLength = uint16_t(readBE16(record + rec::WAVE_LENGTH) * 2);
    volumeEnvelopeControl = record[rec::VOL_CONTROL];
    volumeEnvelopeTable = record[rec::VOL_TABLE];
    volumeEnvelopeLength = readBE16(record + rec::VOL_LENGTH);
    volumeEnvelopeSpeed = record[rec::VOL_SPEED];
    pitchModulationControl = record[rec::PITCH_CONTROL];
    pitchModulationTable = record[rec::PITCH_TABLE];
    pitchModulationDepth = record[rec::PITCH_DEPTH];
    pitchModulationLength = readBE16(record + rec::PITCH_LENGTH);
    pitchModulationDelay = record[rec::PITCH_DELAY];
    pitchModulationSpeed = record[rec::PITCH_SPEED];
    inversionEnvelopeControl = record[rec::INV_CONTROL];
    inversionEnvelopeTable = record[rec::INV_TABLE];
    inversionEnvelopeLength = readBE16(record + rec::INV_LENGTH);
    inversionEnvelopeDelay = record[rec::INV_DELAY];
    inversionEnvelopeSpeed = record[rec::INV_SPEED];
    waveEffectType = record[rec::EFFECT_TYPE];
    waveEffectSpeed = record[rec::EFFECT_SPEED];
    waveEffectDelay = record[rec::EFFECT_DELAY];
    tailModulationControl = record[rec::TAIL_CONTROL];
    tailModulationTable = record[rec::TAIL_TABLE];
    tailModulationSpeed = record[rec::TAIL_SPEED];
    tailModulationDelay = record[rec::TAIL_DELAY];
    volume = record[rec::VOLUME];
    tailModulationLength = readBE16(record + rec::TAIL_LENGTH);

    // The waveform may name a table at or beyond the table count: it then lies in the sample
    // bytes, or wholly beyond the image, where nothing may be read.
    size_t offset = size_t(waveformTable) * SYNTH_TABLE_BYTES;
    size_t room = size_t(imageEnd - synthTables);
    if (offset < room) {
        data = synthTables + offset;
        readable = uint32_t(room - offset);
    }
}

void upgradeV2Record(const uint8_t* old, uint8_t* current, uint8_t* spare) {
    uint8_t upgraded[INSTRUMENT_RECORD_BYTES] = {};
    int dropped = 0;
    for (size_t i = 0; i < INSTRUMENT_RECORD_BYTES; ++i) {
        if (rec::V2ToCurrent[i] >= 0) upgraded[rec::V2ToCurrent[i]] = old[i];
        else if (spare) spare[dropped++] = old[i];
    }
    upgraded[rec::EFFECT_SPEED] = 1;
    upgraded[rec::TAIL_SPEED] = 1;
    std::memcpy(current, upgraded, sizeof upgraded);
}
