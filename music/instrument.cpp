#include "music/module.h"

#include <cstring>

void Instrument::load(const uint8_t* record, const uint8_t* sampleCursor,
                      const uint8_t* synthTables, const uint8_t* imageEnd) {
    *this = Instrument();
    if (record[0] != SYNTHETIC_MARKER) {
        kind = INSTRUMENT_SAMPLED;
        std::memcpy(name, record, sizeof name);
        length = uint16_t(bigEndian16(record + 24) * 2);
        loopStart = bigEndian16(record + 26);
        loopLength = uint16_t(bigEndian16(record + 28) * 2);
        volume = bigEndian16(record + 30);
        data = sampleCursor;
        readable = uint32_t(imageEnd - sampleCursor);
        return;
    }
    kind = INSTRUMENT_SYNTHETIC;
    marker = record[0];
    waveformTable = record[1];
    waveformLength = uint16_t(bigEndian16(record + 2) * 2);
    volumeEnvelopeControl = record[4];
    volumeEnvelopeTable = record[5];
    volumeEnvelopeLength = bigEndian16(record + 6);
    volumeEnvelopeSpeed = record[8];
    pitchModulationControl = record[9];
    pitchModulationTable = record[10];
    pitchModulationDepth = record[11];
    pitchModulationLength = bigEndian16(record + 12);
    pitchModulationDelay = record[14];
    pitchModulationSpeed = record[15];
    inversionEnvelopeControl = record[16];
    inversionEnvelopeTable = record[17];
    inversionEnvelopeLength = bigEndian16(record + 18);
    inversionEnvelopeDelay = record[20];
    inversionEnvelopeSpeed = record[21];
    waveEffectType = record[22];
    waveEffectSpeed = record[23];
    waveEffectDelay = record[24];
    tailModulationControl = record[25];
    tailModulationTable = record[26];
    tailModulationSpeed = record[27];
    tailModulationDelay = record[28];
    volume = record[29];
    tailModulationLength = bigEndian16(record + 30);

    // The waveform may name a table at or beyond the table count: it then lies in the sample
    // bytes, or wholly beyond the image, where nothing may be read.
    size_t offset = size_t(waveformTable) * SYNTH_TABLE_BYTES;
    size_t room = size_t(imageEnd - synthTables);
    if (offset < room) {
        data = synthTables + offset;
        readable = uint32_t(room - offset);
    }
}
