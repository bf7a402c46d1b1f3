// The music module: one file image holding a title, 15 instruments, the song positions, 16-row
// patterns, 64-byte synthesis tables and the raw 8-bit samples, laid out as music/module_layout.h
// says.
//
// MusicModule does not own the image. `parse` upgrades the two older generations ("ZUNQ", "V.2")
// in place to the current one ("V.3"), converts every sample and table byte from signed to
// unsigned once (128 = silence) and checks every section against the image size, so that nothing
// built on the module ever reads outside the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "music/instrument_record.h"
#include "music/module_layout.h"

enum InstrumentKind : uint8_t { INSTRUMENT_SAMPLED = 0, INSTRUMENT_SYNTHETIC = 1 };

// One instrument decoded from its 32-byte record. Both kinds share `volume`; the fields of the
// other kind stay 0.
class Instrument {
public:
    virtual ~Instrument() = default;

    // Fills the object from a record. A sampled instrument takes sampleCursor as its data, a
    // synthetic one synthTables + waveform number x 64. imageEnd bounds what may be read:
    // `readable` is the number of bytes from `data` that lie inside the image (0, and data null,
    // when the waveform table lies wholly beyond it). Requires sampleCursor, synthTables <= imageEnd.
    void load(const uint8_t* record, const uint8_t* sampleCursor, const uint8_t* synthTables,
              const uint8_t* imageEnd);

    uint8_t kind = INSTRUMENT_SAMPLED;

    // Sampled: name, lengths in bytes (loop start as stored, the others doubled).
    char name[24] = {};
    uint16_t length = 0;
    uint16_t loopStart = 0;
    uint16_t loopLength = 0;
    uint16_t volume = 0;  // sampled: as stored (the low byte is used); synthetic: record byte 29

    // Synthetic: the record's fields in record order; lengths of the units are not doubled.
    uint8_t marker = 0;
    uint8_t waveformTable = 0;
    uint16_t waveformLength = 0;  // bytes (record value x 2)
    uint8_t volumeEnvelopeControl = 0;
    uint8_t volumeEnvelopeTable = 0;
    uint16_t volumeEnvelopeLength = 0;
    uint8_t volumeEnvelopeSpeed = 0;
    uint8_t pitchModulationControl = 0;
    uint8_t pitchModulationTable = 0;
    uint8_t pitchModulationDepth = 0;
    uint16_t pitchModulationLength = 0;
    uint8_t pitchModulationDelay = 0;
    uint8_t pitchModulationSpeed = 0;
    uint8_t inversionEnvelopeControl = 0;
    uint8_t inversionEnvelopeTable = 0;
    uint16_t inversionEnvelopeLength = 0;
    uint8_t inversionEnvelopeDelay = 0;
    uint8_t inversionEnvelopeSpeed = 0;
    uint8_t waveEffectType = 0;
    uint8_t waveEffectSpeed = 0;
    uint8_t waveEffectDelay = 0;
    uint8_t tailModulationControl = 0;
    uint8_t tailModulationTable = 0;
    uint8_t tailModulationSpeed = 0;
    uint8_t tailModulationDelay = 0;
    uint16_t tailModulationLength = 0;

    const uint8_t* data = nullptr;  // sample bytes, or the waveform table
    uint32_t readable = 0;          // bytes from data that lie inside the image
};

// Results of the instrument queries.
struct SampleQuery {
    const char* name;  // 24 characters, not terminated
    uint16_t length, loopStart, loopLength, volume;
    const uint8_t* data;
    uint32_t readable;
};
struct WaveformQuery {
    const uint8_t* data;  // null when the waveform table lies beyond the image
    uint16_t length;      // bytes
    uint32_t readable;
};
struct UnitQuery {  // volume envelope, pitch modulation, inversion envelope, tail modulation
    uint8_t table;
    uint16_t length;
    uint8_t speed;
    uint8_t depth;  // pitch modulation only; 0 for the others
};
struct WaveEffectQuery {
    uint8_t waveformTable, speed;
};
struct ControlsQuery {
    uint8_t volumeEnvelope, pitchModulation, inversionEnvelope, waveEffectType, tailModulation;
};
struct DelaysQuery {
    uint8_t inversionEnvelope, pitchModulation, waveEffect, tailModulation;
};

class MusicModule {
public:
    // image must hold size bytes and stay alive (and unchanged by others) as long as the module.
    MusicModule(uint8_t* image, size_t size);
    virtual ~MusicModule();
    MusicModule(const MusicModule&) = delete;
    MusicModule& operator=(const MusicModule&) = delete;

    // 0 on success; 1 when the image is not a module of this format or its header, song
    // positions or patterns do not fit in the image. After a success, later calls return 0 and
    // touch nothing, so that any number of players may ask while others read the module.
    int parse();

    // The 4-byte entry of voice (0..3) at song position (0..songLength-1): pattern number
    // (big-endian), instrument transpose, note transpose. Null outside the song.
    const uint8_t* voiceEntry(int position, int voice) const;
    // Pattern number of voice (0..3) at song position (0..songLength-1); 0 outside the song.
    uint16_t patternNumber(int position, int voice) const;
    // The 3 bytes of one row of pattern p (1..patternCount), or null for pattern 0, a pattern
    // beyond the pattern area or a row outside 0..15.
    const uint8_t* patternRow(uint16_t pattern, int row) const;
    // Byte index of synthesis table `table`, reading on into the following tables and, past the
    // table area, into the sample bytes; 128 (zero) for any position beyond the image.
    uint8_t tableByte(unsigned table, unsigned index) const;

    const uint8_t* image() const { return image_; }
    const uint8_t* positions() const { return positions_; }
    const uint8_t* patterns() const { return patterns_; }
    const uint8_t* synthTables() const { return synthTables_; }
    const uint8_t* samples() const { return samples_; }
    const char* title() const { return title_; }
    uint16_t songLength() const { return songLength_; }
    uint16_t synthTableCount() const { return synthTableCount_; }
    uint16_t patternCount() const { return patternCount_; }
    bool converted() const { return converted_ != 0; }
    // The signature the image carried before the first parse upgraded it: "V.3", "V.2", "ZUNQ",
    // or "" when it had none of them (or parse was never called).
    const std::string& signature() const { return signature_; }
    // What the checks of the parse found, one sentence each: reasons for a refusal and the
    // places where the module was cut short or will play something safe instead.
    const std::vector<std::string>& problems() const { return problems_; }

    // Instrument n (1..15) as loaded by the last parse; null outside 1..15.
    const Instrument* instrument(int n) const;
    // The same, but null also when instrument n is not a synthetic one.
    const Instrument* syntheticInstrument(int n) const;

    // Instrument queries: false and nothing written unless 1 <= n <= 15 and the kind matches.
    bool sample(int n, SampleQuery& out) const;
    bool waveform(int n, WaveformQuery& out) const;
    bool volumeEnvelope(int n, UnitQuery& out) const;
    bool pitchModulation(int n, UnitQuery& out) const;
    bool inversionEnvelope(int n, UnitQuery& out) const;
    bool waveEffect(int n, WaveEffectQuery& out) const;
    bool tailModulation(int n, UnitQuery& out) const;
    bool controls(int n, ControlsQuery& out) const;
    bool delays(int n, DelaysQuery& out) const;
    bool isSynthetic(int n) const;

private:
    void convertFromV2();
    void noteProblem(std::string text);

    uint8_t* image_;
    size_t size_;
    uint8_t* positions_ = nullptr;
    uint8_t* patterns_ = nullptr;
    uint8_t* synthTables_ = nullptr;
    uint8_t* samples_ = nullptr;
    char title_[MODULE_TITLE_BYTES + 1] = {};
    uint16_t songLength_ = 0;
    uint16_t synthTableCount_ = 0;
    uint16_t patternCount_ = 0;
    size_t tableAreaOffset_ = 0;  // where table 0 starts, from the image start
    Instrument instruments_[INSTRUMENT_COUNT];
    uint8_t converted_ = 0;
    std::string signature_;
    std::vector<std::string> problems_;
};

// Adds 128 modulo 256 to count bytes: signed samples become unsigned with 128 as silence.
void convertToUnsigned(uint8_t* start, size_t count);
