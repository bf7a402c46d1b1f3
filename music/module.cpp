#include "music/module.h"

#include <cstring>

void convertToUnsigned(uint8_t* start, size_t count) {
    for (size_t i = 0; i < count; ++i) start[i] = uint8_t(start[i] + 128);
}

MusicModule::MusicModule(uint8_t* image, size_t size) : image_(image), size_(image ? size : 0) {}

MusicModule::~MusicModule() = default;

void MusicModule::noteProblem(std::string text) { problems_.push_back(std::move(text)); }

namespace {

// Why the parse refuses a module, one sentence each.
const char* layoutProblemText(LayoutProblem problem) {
    switch (problem) {
    case LayoutProblem::ShorterThanHeader: return "the file is shorter than the 512-byte header";
    case LayoutProblem::NoSignature: return "no known signature at offset 26";
    case LayoutProblem::PositionsPastEnd: return "the song positions run past the end of the file";
    case LayoutProblem::PatternsPastEnd: return "the patterns run past the end of the file";
    case LayoutProblem::None: break;
    }
    return "";
}

}  // namespace

int MusicModule::parse() {
    // Parsed once: players ask again on every start while others may be reading the module,
    // so a later call only reports the success.
    if (converted_) return 0;
    problems_.clear();
    // Every check that can refuse the module comes before the first byte is changed.
    ModuleLayout layout;
    const LayoutProblem problem = walkModuleLayout(image_, size_, layout);
    if (problem != LayoutProblem::ShorterThanHeader) {
        std::memcpy(title_, image_, MODULE_TITLE_BYTES);
        title_[MODULE_TITLE_BYTES] = 0;
        signature_ = problem == LayoutProblem::NoSignature ? "" : signatureOf(layout.generation).text;
    }
    if (problem != LayoutProblem::None) {
        noteProblem(layoutProblemText(problem));
        return 1;
    }

    if (layout.emptyEntries != 0)
        noteProblem(std::to_string(layout.emptyEntries) +
                    " voice entries name pattern 0 (they play empty rows)");

    // The oldest generation becomes the current one without tables: its signature filled the
    // table count's byte.
    if (layout.generation == ModuleGeneration::ZUNQ) {
        std::memcpy(image_ + SIGNATURE_OFFSET, signatureOf(ModuleGeneration::V3).text, 3);
        image_[TABLE_COUNT_OFFSET] = 0;
    }
    if (layout.generation == ModuleGeneration::V2) convertFromV2();

    songLength_ = layout.songLength;
    synthTableCount_ = uint16_t(layout.tableCount);
    patternCount_ = layout.patternCount;
    positions_ = image_ + layout.positionsOffset;
    patterns_ = image_ + layout.patternsOffset;
    synthTables_ = image_ + layout.tablesOffset;
    tableAreaOffset_ = layout.tablesOffset;

    // A table area or sample area that the file does not hold in full is cut short at the end
    // of the file: what is missing reads as zero (128) and sampled instruments lose their tails.
    const size_t tableBytes = layout.tableCount * SYNTH_TABLE_BYTES;
    const size_t tableBytesPresent = layout.tableBytesInFile;
    if (tableBytesPresent < tableBytes)
        noteProblem("the synthesis tables are cut short: " + std::to_string(tableBytesPresent) +
                    " of " + std::to_string(tableBytes) + " bytes in the file");
    samples_ = synthTables_ + tableBytesPresent;
    convertToUnsigned(synthTables_, tableBytesPresent);

    const uint8_t* end = image_ + size_;
    uint8_t* cursor = samples_;
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        Instrument& instrument = instruments_[k - 1];
        const uint8_t* record =
            image_ + INSTRUMENT_RECORDS_OFFSET + size_t(k - 1) * INSTRUMENT_RECORD_BYTES;
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
    std::memcpy(image_ + SIGNATURE_OFFSET, signatureOf(ModuleGeneration::V3).text, 3);
    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        uint8_t* record = image_ + INSTRUMENT_RECORDS_OFFSET + size_t(k) * INSTRUMENT_RECORD_BYTES;
        if (record[rec::MARKER] == SYNTHETIC_MARKER) upgradeV2Record(record, record);
    }
}

const uint8_t* MusicModule::voiceEntry(int position, int voice) const {
    if (position < 0 || position >= songLength_ || voice < 0 || voice > 3) return nullptr;
    return positions_ + (size_t(position) * 4 + size_t(voice)) * 4;
}

uint16_t MusicModule::patternNumber(int position, int voice) const {
    const uint8_t* entry = voiceEntry(position, voice);
    return entry ? readBE16(entry) : 0;
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
