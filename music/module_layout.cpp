#include "music/module_layout.h"

#include <algorithm>
#include <cstring>

const ModuleSignature& signatureOf(ModuleGeneration generation) {
    for (const ModuleSignature& signature : ModuleSignatures)
        if (signature.generation == generation) return signature;
    return ModuleSignatures[0];
}

namespace {

// The generation whose signature the header carries; false for none.
bool findGeneration(const uint8_t* image, ModuleGeneration& generation) {
    for (const ModuleSignature& signature : ModuleSignatures)
        if (std::memcmp(image + SIGNATURE_OFFSET, signature.text, signature.bytes) == 0) {
            generation = signature.generation;
            return true;
        }
    return false;
}

// The highest pattern number of the voice entries, and how many name pattern 0.
void countPatterns(const uint8_t* image, ModuleLayout& layout) {
    const size_t entries = size_t(layout.songLength) * VOICE_COUNT;
    for (size_t entry = 0; entry < entries; ++entry) {
        uint16_t number = readBE16(image + layout.positionsOffset + entry * VOICE_ENTRY_BYTES);
        layout.patternCount = std::max(layout.patternCount, number);
        if (number == 0) ++layout.emptyEntries;
    }
}

size_t sampleBytes(const uint8_t* image) {
    size_t total = 0;
    for (size_t k = 0; k < INSTRUMENT_COUNT; ++k) {
        const uint8_t* record = image + INSTRUMENT_RECORDS_OFFSET + k * INSTRUMENT_RECORD_BYTES;
        if (record[rec::MARKER] != SYNTHETIC_MARKER) total += sampleBytesOfRecord(record);
    }
    return total;
}

}  // namespace

LayoutProblem walkModuleLayout(const uint8_t* image, size_t size, ModuleLayout& layout) {
    layout = ModuleLayout{};
    if (image == nullptr || size < MODULE_HEADER_BYTES) return LayoutProblem::ShorterThanHeader;
    if (!findGeneration(image, layout.generation)) return LayoutProblem::NoSignature;
    layout.songLength = readBE16(image + SONG_LENGTH_OFFSET);
    layout.patternsOffset = layout.positionsOffset + size_t(layout.songLength) * POSITION_ENTRY_BYTES;
    if (layout.patternsOffset > size) return LayoutProblem::PositionsPastEnd;
    countPatterns(image, layout);
    layout.tablesOffset = layout.patternsOffset + size_t(layout.patternCount) * PATTERN_BYTES;
    if (layout.tablesOffset > size) return LayoutProblem::PatternsPastEnd;
    layout.tableCount = layout.generation == ModuleGeneration::ZUNQ ? 0 : image[TABLE_COUNT_OFFSET];
    const size_t tableBytes = layout.tableCount * SYNTH_TABLE_BYTES;
    layout.tableBytesInFile = std::min(tableBytes, size - layout.tablesOffset);
    layout.samplesOffset = layout.tablesOffset + tableBytes;
    layout.samplesEnd = layout.samplesOffset + sampleBytes(image);
    return LayoutProblem::None;
}
