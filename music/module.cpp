#include "music/module.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t SIGNATURE_OFFSET = 26;
constexpr size_t TABLE_COUNT_OFFSET = 29;
constexpr size_t SONG_LENGTH_OFFSET = 30;
constexpr size_t RECORDS_OFFSET = 32;

}  // namespace

void convertToUnsigned(uint8_t* start, size_t count) {
    for (size_t i = 0; i < count; ++i) start[i] = uint8_t(start[i] + 128);
}

MusicModule::MusicModule(uint8_t* image, size_t size) : image_(image), size_(image ? size : 0) {}

MusicModule::~MusicModule() = default;

void MusicModule::noteProblem(std::string text) { problems_.push_back(std::move(text)); }

int MusicModule::parse() {
    // Parsed once: players ask again on every start while others may be reading the module,
    // so a later call only reports the success.
    if (converted_) return 0;
    problems_.clear();
    if (size_ < MODULE_HEADER_BYTES) {
        noteProblem("the file is shorter than the 512-byte header");
        return 1;
    }
    uint8_t* mark = image_ + SIGNATURE_OFFSET;
    bool zunq = std::memcmp(mark, "ZUNQ", 4) == 0;
    bool v2 = std::memcmp(mark, "V.2", 3) == 0;
    bool v3 = std::memcmp(mark, "V.3", 3) == 0;
    signature_ = zunq ? "ZUNQ" : v2 ? "V.2" : v3 ? "V.3" : "";

    std::memcpy(title_, image_, 26);
    title_[26] = 0;
    if (!zunq && !v2 && !v3) {
        noteProblem("no known signature at offset 26");
        return 1;
    }

    // Every check that can refuse the module comes before the first byte is changed.
    uint16_t songLength = bigEndian16(image_ + SONG_LENGTH_OFFSET);
    size_t patternsOffset = MODULE_HEADER_BYTES + size_t(songLength) * POSITION_ENTRY_BYTES;
    if (patternsOffset > size_) {
        noteProblem("the song positions run past the end of the file");
        return 1;
    }
    uint16_t patternCount = 0;
    size_t emptyEntries = 0;
    for (size_t entry = 0; entry < size_t(songLength) * 4; ++entry) {
        uint16_t number = bigEndian16(image_ + MODULE_HEADER_BYTES + entry * 4);
        patternCount = std::max(patternCount, number);
        if (number == 0) ++emptyEntries;
    }
    size_t tablesOffset = patternsOffset + size_t(patternCount) * PATTERN_BYTES;
    if (tablesOffset > size_) {
        noteProblem("the patterns run past the end of the file");
        return 1;
    }

    if (emptyEntries != 0)
        noteProblem(std::to_string(emptyEntries) +
                    " voice entries name pattern 0 (they play empty rows)");

    if (zunq) std::memcpy(mark, "V.3\0", 4);
    if (v2) convertFromV2();

    songLength_ = songLength;
    synthTableCount_ = image_[TABLE_COUNT_OFFSET];
    patternCount_ = patternCount;
    positions_ = image_ + MODULE_HEADER_BYTES;
    patterns_ = image_ + patternsOffset;
    synthTables_ = image_ + tablesOffset;
    tableAreaOffset_ = tablesOffset;

    // A table area or sample area that the file does not hold in full is cut short at the end
    // of the file: what is missing reads as zero (128) and sampled instruments lose their tails.
    size_t tableBytes = size_t(synthTableCount_) * SYNTH_TABLE_BYTES;
    size_t tableBytesPresent = std::min(tableBytes, size_ - tablesOffset);
    if (tableBytesPresent < tableBytes)
        noteProblem("the synthesis tables are cut short: " + std::to_string(tableBytesPresent) +
                    " of " + std::to_string(tableBytes) + " bytes in the file");
    samples_ = synthTables_ + tableBytesPresent;
    convertToUnsigned(synthTables_, tableBytesPresent);

    const uint8_t* end = image_ + size_;
    uint8_t* cursor = samples_;
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        Instrument& instrument = instruments_[k - 1];
        const uint8_t* record = image_ + RECORDS_OFFSET + size_t(k - 1) * INSTRUMENT_RECORD_BYTES;
        instrument.load(record, cursor, synthTables_, end);
        if (instrument.kind == INSTRUMENT_SYNTHETIC) {
            if (instrument.waveformTable >= synthTableCount_)
                noteProblem("instrument " + std::to_string(k) + " plays table " +
                            std::to_string(instrument.waveformTable) +
                            ", beyond the table area");
            continue;
        }
        size_t room = size_t(end - cursor);
        if (instrument.length > room) {
            noteProblem("the sample of instrument " + std::to_string(k) + " is cut short: " +
                        std::to_string(room) + " of " + std::to_string(instrument.length) +
                        " bytes in the file");
            instrument.length = uint16_t(room);
        }
        convertToUnsigned(cursor, instrument.length);
        cursor += instrument.length;
    }
    converted_ = 1;
    return 0;
}

void MusicModule::convertFromV2() {
    std::memcpy(image_ + SIGNATURE_OFFSET, "V.3", 3);
    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        uint8_t* record = image_ + RECORDS_OFFSET + size_t(k) * INSTRUMENT_RECORD_BYTES;
        if (record[0] != SYNTHETIC_MARKER) continue;
        uint8_t old[INSTRUMENT_RECORD_BYTES];
        std::memcpy(old, record, sizeof old);
        const uint8_t rewritten[18] = {old[15], old[16], old[17], old[18], old[20], old[21],
                                       old[23], old[24], 0,       1,       0,       0,
                                       0,       1,       0,       old[25], 0,       0};
        std::memcpy(record + 14, rewritten, sizeof rewritten);
    }
}

const uint8_t* MusicModule::voiceEntry(int position, int voice) const {
    if (position < 0 || position >= songLength_ || voice < 0 || voice > 3) return nullptr;
    return positions_ + (size_t(position) * 4 + size_t(voice)) * 4;
}

uint16_t MusicModule::patternNumber(int position, int voice) const {
    const uint8_t* entry = voiceEntry(position, voice);
    return entry ? bigEndian16(entry) : 0;
}

const uint8_t* MusicModule::patternRow(uint16_t pattern, int row) const {
    if (pattern == 0 || pattern > patternCount_ || row < 0 || row >= PATTERN_ROWS) return nullptr;
    return patterns_ + size_t(pattern - 1) * PATTERN_BYTES + size_t(row) * PATTERN_ROW_BYTES;
}

uint8_t MusicModule::tableByte(unsigned table, unsigned index) const {
    size_t offset = tableAreaOffset_ + size_t(table) * SYNTH_TABLE_BYTES + index;
    if (synthTables_ == nullptr || offset >= size_) return 128;
    return image_[offset];
}

const Instrument* MusicModule::instrument(int n) const {
    if (n < 1 || n > INSTRUMENT_COUNT) return nullptr;
    return &instruments_[n - 1];
}

const Instrument* MusicModule::syntheticInstrument(int n) const {
    const Instrument* found = instrument(n);
    return found && found->kind == INSTRUMENT_SYNTHETIC ? found : nullptr;
}

bool MusicModule::sample(int n, SampleQuery& out) const {
    const Instrument* found = instrument(n);
    if (!found || found->kind != INSTRUMENT_SAMPLED) return false;
    out = {found->name,   found->length, found->loopStart, found->loopLength,
           found->volume, found->data,   found->readable};
    return true;
}

bool MusicModule::waveform(int n, WaveformQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->data, found->waveformLength, found->readable};
    return true;
}

bool MusicModule::volumeEnvelope(int n, UnitQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->volumeEnvelopeTable, found->volumeEnvelopeLength, found->volumeEnvelopeSpeed, 0};
    return true;
}

bool MusicModule::pitchModulation(int n, UnitQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->pitchModulationTable, found->pitchModulationLength,
           found->pitchModulationSpeed, found->pitchModulationDepth};
    return true;
}

bool MusicModule::inversionEnvelope(int n, UnitQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->inversionEnvelopeTable, found->inversionEnvelopeLength,
           found->inversionEnvelopeSpeed, 0};
    return true;
}

bool MusicModule::waveEffect(int n, WaveEffectQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->waveformTable, found->waveEffectSpeed};
    return true;
}

bool MusicModule::tailModulation(int n, UnitQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->tailModulationTable, found->tailModulationLength, found->tailModulationSpeed, 0};
    return true;
}

bool MusicModule::controls(int n, ControlsQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->volumeEnvelopeControl, found->pitchModulationControl,
           found->inversionEnvelopeControl, found->waveEffectType, found->tailModulationControl};
    return true;
}

bool MusicModule::delays(int n, DelaysQuery& out) const {
    const Instrument* found = syntheticInstrument(n);
    if (!found) return false;
    out = {found->inversionEnvelopeDelay, found->pitchModulationDelay, found->waveEffectDelay,
           found->tailModulationDelay};
    return true;
}

bool MusicModule::isSynthetic(int n) const { return syntheticInstrument(n) != nullptr; }
