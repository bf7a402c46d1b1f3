// Builds music module images in memory for tests, the fuzz corpus and the benchmark: header,
// song positions, patterns, synthesis tables, instrument records and signed sample data.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace testmusic {

// The settings of a synthetic instrument, in the current record layout.
struct SynthSettings {
    uint8_t waveformTable = 0;
    uint16_t waveformWords = 16;  // length in 16-bit words
    uint8_t volumeEnvelopeControl = 0, volumeEnvelopeTable = 0;
    uint16_t volumeEnvelopeLength = 0;
    uint8_t volumeEnvelopeSpeed = 1;
    uint8_t pitchModulationControl = 0, pitchModulationTable = 0, pitchModulationDepth = 1;
    uint16_t pitchModulationLength = 0;
    uint8_t pitchModulationDelay = 0, pitchModulationSpeed = 1;
    uint8_t inversionEnvelopeControl = 0, inversionEnvelopeTable = 0;
    uint16_t inversionEnvelopeLength = 0;
    uint8_t inversionEnvelopeDelay = 0, inversionEnvelopeSpeed = 1;
    uint8_t waveEffectType = 0, waveEffectSpeed = 1, waveEffectDelay = 0;
    uint8_t tailModulationControl = 0, tailModulationTable = 0, tailModulationSpeed = 1,
            tailModulationDelay = 0;
    uint8_t volume = 64;
    uint16_t tailModulationLength = 0;
};

class ModuleWriter {
public:
    std::string title = "test song";
    std::string signature = "V.3";  // "V.2" writes the older synthetic layout; "ZUNQ" no tables

    // Appends a song position; returns its index.
    int addPosition(std::array<uint16_t, 4> patternNumbers) {
        std::array<uint8_t, 16> entry{};
        for (int v = 0; v < 4; ++v) {
            entry[v * 4] = uint8_t(patternNumbers[v] >> 8);
            entry[v * 4 + 1] = uint8_t(patternNumbers[v]);
        }
        positions.push_back(entry);
        return int(positions.size()) - 1;
    }
    void setTranspose(int position, int voice, uint8_t instrumentTranspose, int8_t noteTranspose) {
        positions[position][voice * 4 + 2] = instrumentTranspose;
        positions[position][voice * 4 + 3] = uint8_t(noteTranspose);
    }
    // Appends an empty pattern; returns its number (from 1).
    uint16_t addPattern() {
        patterns.push_back({});
        return uint16_t(patterns.size());
    }
    void setRow(uint16_t pattern, int row, int8_t note, uint8_t instrument, uint8_t effect,
                uint8_t parameter) {
        uint8_t* bytes = patterns[pattern - 1].data() + row * 3;
        bytes[0] = uint8_t(note);
        bytes[1] = uint8_t(instrument << 4 | (effect & 0x0F));
        bytes[2] = parameter;
    }
    // Appends a table of signed values as stored; returns its number.
    int addTable(const std::array<int8_t, 64>& values) {
        tables.push_back(values);
        return int(tables.size()) - 1;
    }
    int addTable(int8_t fill) {
        std::array<int8_t, 64> values;
        values.fill(fill);
        return addTable(values);
    }
    // Sampled instrument k (1..15) with signed data (padded to an even length).
    void setSampled(int k, const std::string& name, std::vector<int8_t> data, uint16_t loopStart,
                    uint16_t loopWords, uint16_t volume) {
        if (data.size() % 2) data.push_back(0);
        std::array<uint8_t, 32> record{};
        for (size_t i = 0; i < 24 && i < name.size(); ++i) record[i] = uint8_t(name[i]);
        if (record[0] == 0xFF) record[0] = ' ';
        put16(record, 24, uint16_t(data.size() / 2));
        put16(record, 26, loopStart);
        put16(record, 28, loopWords);
        put16(record, 30, volume);
        records[k - 1] = record;
        samples[k - 1] = std::move(data);
    }
    void setSynthetic(int k, const SynthSettings& s) {
        std::array<uint8_t, 32> r{};
        r[0] = 0xFF;
        r[1] = s.waveformTable;
        put16(r, 2, s.waveformWords);
        r[4] = s.volumeEnvelopeControl;
        r[5] = s.volumeEnvelopeTable;
        put16(r, 6, s.volumeEnvelopeLength);
        r[8] = s.volumeEnvelopeSpeed;
        r[9] = s.pitchModulationControl;
        r[10] = s.pitchModulationTable;
        r[11] = s.pitchModulationDepth;
        put16(r, 12, s.pitchModulationLength);
        r[14] = s.pitchModulationDelay;
        r[15] = s.pitchModulationSpeed;
        r[16] = s.inversionEnvelopeControl;
        r[17] = s.inversionEnvelopeTable;
        put16(r, 18, s.inversionEnvelopeLength);
        r[20] = s.inversionEnvelopeDelay;
        r[21] = s.inversionEnvelopeSpeed;
        r[22] = s.waveEffectType;
        r[23] = s.waveEffectSpeed;
        r[24] = s.waveEffectDelay;
        r[25] = s.tailModulationControl;
        r[26] = s.tailModulationTable;
        r[27] = s.tailModulationSpeed;
        r[28] = s.tailModulationDelay;
        r[29] = s.volume;
        put16(r, 30, s.tailModulationLength);
        records[k - 1] = r;
        samples[k - 1].clear();
    }

    std::vector<uint8_t> build() const {
        std::vector<uint8_t> out(512, 0);
        for (size_t i = 0; i < 26 && i < title.size(); ++i) out[i] = uint8_t(title[i]);
        for (size_t i = 0; i < signature.size() && i < 4; ++i) out[26 + i] = uint8_t(signature[i]);
        if (signature != "ZUNQ") out[29] = uint8_t(tables.size());
        out[30] = uint8_t(positions.size() >> 8);
        out[31] = uint8_t(positions.size());
        for (int k = 0; k < 15; ++k) {
            std::array<uint8_t, 32> r = records[k];
            if (signature == "V.2" && r[0] == 0xFF) r = oldLayout(r);
            std::copy(r.begin(), r.end(), out.begin() + 32 + k * 32);
        }
        for (const auto& entry : positions) out.insert(out.end(), entry.begin(), entry.end());
        for (const auto& pattern : patterns) out.insert(out.end(), pattern.begin(), pattern.end());
        if (signature != "ZUNQ")
            for (const auto& table : tables)
                for (int8_t value : table) out.push_back(uint8_t(value));
        for (const auto& data : samples)
            for (int8_t value : data) out.push_back(uint8_t(value));
        return out;
    }

    std::vector<std::array<uint8_t, 16>> positions;
    std::vector<std::array<uint8_t, 48>> patterns;
    std::vector<std::array<int8_t, 64>> tables;
    std::array<std::array<uint8_t, 32>, 15> records{};
    std::array<std::vector<int8_t>, 15> samples{};

private:
    static void put16(std::array<uint8_t, 32>& r, int at, uint16_t value) {
        r[at] = uint8_t(value >> 8);
        r[at + 1] = uint8_t(value);
    }
    // The older synthetic record: no waveform effect or tail modulation, fields packed
    // differently from byte 14 on (the inverse of the upgrade that parse performs).
    static std::array<uint8_t, 32> oldLayout(const std::array<uint8_t, 32>& r) {
        std::array<uint8_t, 32> old{};
        std::copy(r.begin(), r.begin() + 14, old.begin());
        old[15] = r[14];
        old[16] = r[15];
        old[17] = r[16];
        old[18] = r[17];
        old[20] = r[18];
        old[21] = r[19];
        old[23] = r[20];
        old[24] = r[21];
        old[25] = r[29];
        return old;
    }
};

// Signed waveforms for instruments and tables.
inline std::vector<int8_t> squareWave(size_t length, int period, int amplitude) {
    std::vector<int8_t> out(length);
    for (size_t i = 0; i < length; ++i)
        out[i] = int8_t((i % period) < size_t(period / 2) ? amplitude : -amplitude);
    return out;
}
inline std::vector<int8_t> noiseBurst(size_t length, uint32_t seed) {
    std::vector<int8_t> out(length);
    for (size_t i = 0; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        int amplitude = int(110 * (length - i) / length);
        out[i] = int8_t((int((seed >> 24) % 256) - 128) * amplitude / 128);
    }
    return out;
}
inline std::array<int8_t, 64> sineTable(int amplitude, int cycles) {
    std::array<int8_t, 64> out;
    for (int i = 0; i < 64; ++i)
        out[i] = int8_t(std::lround(amplitude * std::sin(2 * 3.14159265358979323846 * cycles * i / 64.0)));
    return out;
}
inline std::array<int8_t, 64> rampTable(int from, int to) {
    std::array<int8_t, 64> out;
    for (int i = 0; i < 64; ++i) out[i] = int8_t(from + (to - from) * i / 63);
    return out;
}

// A busy four-voice song of two positions using every kind of sound: a looping square bass, a
// one-shot noise drum, a synthetic lead with all five units and a synthetic arpeggio pad, with
// slides, vibrato, arpeggios, volume and speed changes, transposes and a jump.
inline ModuleWriter demoSong() {
    ModuleWriter w;
    w.title = "demo song";
    int wave = w.addTable(sineTable(100, 2));        // 0: lead waveform
    w.addTable(rampTable(-100, 100));                // 1: morph target of the pad (type 4)
    int envelope = w.addTable(rampTable(127, -40));  // 2: decaying volume
    int wobble = w.addTable(sineTable(40, 1));       // 3: pitch and tail modulation
    int invert = w.addTable(rampTable(-128, 127));   // 4: inversion amounts
    int pad = w.addTable(sineTable(90, 1));          // 5: pad waveform
    w.setSampled(1, "bass", squareWave(64, 32, 90), 0, 32, 48);
    w.setSampled(2, "drum", noiseBurst(2400, 7), 0, 1, 64);

    SynthSettings lead;
    lead.waveformTable = uint8_t(wave);
    lead.waveformWords = 32;
    lead.volumeEnvelopeControl = 1;
    lead.volumeEnvelopeTable = uint8_t(envelope);
    lead.volumeEnvelopeLength = 64;
    lead.pitchModulationControl = 2;
    lead.pitchModulationTable = uint8_t(wobble);
    lead.pitchModulationDepth = 4;
    lead.pitchModulationLength = 64;
    lead.pitchModulationDelay = 10;
    lead.inversionEnvelopeControl = 2;
    lead.inversionEnvelopeTable = uint8_t(invert);
    lead.inversionEnvelopeLength = 64;
    lead.inversionEnvelopeSpeed = 3;
    lead.waveEffectType = 1;
    lead.waveEffectSpeed = 2;
    lead.tailModulationControl = 2;
    lead.tailModulationTable = uint8_t(wobble);
    lead.tailModulationLength = 64;
    lead.volume = 56;
    w.setSynthetic(3, lead);

    SynthSettings padSound;
    padSound.waveformTable = uint8_t(pad);
    padSound.waveformWords = 16;
    padSound.waveEffectType = 4;
    padSound.waveEffectSpeed = 3;
    padSound.waveEffectDelay = 4;
    padSound.volume = 40;
    w.setSynthetic(4, padSound);

    uint16_t bass = w.addPattern(), drums = w.addPattern(), melody = w.addPattern(),
             chords = w.addPattern(), melody2 = w.addPattern();
    const int8_t bassLine[16] = {13, 0, 13, 0, 20, 0, 13, 0, 16, 0, 16, 0, 18, 0, 11, 0};
    for (int r = 0; r < 16; ++r)
        if (bassLine[r]) w.setRow(bass, r, bassLine[r], r == 0 ? 1 : 0, r == 8 ? 8 : 0, 0xFF);
    for (int r = 0; r < 16; r += 4) w.setRow(drums, r, 30, 2, 1, r == 4 ? 40 : 64);
    w.setRow(drums, 14, 37, 2, 0, 0);
    const int8_t tune[16] = {25, 0, 28, 0, 32, 0, 0, 30, 28, 0, 25, 0, 23, 0, 25, 0};
    for (int r = 0; r < 16; ++r)
        if (tune[r]) w.setRow(melody, r, tune[r], 3, r == 4 ? 6 : 0, r == 4 ? 16 : 0);
    w.setRow(melody, 6, 0, 0, 8, 0x02);
    w.setRow(melody, 15, 0, 0, 14, 0x00);
    w.setRow(chords, 0, 25, 4, 9, 0x47);
    w.setRow(chords, 8, 22, 4, 0, 0x38);
    w.setRow(chords, 9, 0, 0, 0, 0x38);
    w.setRow(chords, 12, 30, 4, 15, 0x00);
    w.setRow(chords, 15, 0, 0, 11, 3);
    for (int r = 0; r < 16; r += 2) w.setRow(melody2, r, int8_t(37 - r), 3, r == 6 ? 13 : 0, 0);
    w.setRow(melody2, 3, 0, 0, 2, 5);
    w.setRow(melody2, 15, 0, 0, 7, 0);
    w.addPosition({bass, drums, melody, chords});
    int second = w.addPosition({bass, drums, melody2, chords});
    w.setTranspose(second, 0, 0, 5);
    w.setTranspose(second, 3, 0, -12);
    return w;
}

}  // namespace testmusic
