// Where the sections of a music module lie: the 512-byte header (title, signature, table count,
// song length, 15 instrument records), the song positions (four 4-byte voice entries each), the
// 48-byte patterns, the 64-byte synthesis tables and the raw samples. All numbers are big-endian.
// The player's parser and the song decompiler both read a module through walkModuleLayout, which
// checks every section against the file size once, up front.
#pragma once

#include <cstddef>
#include <cstdint>

#include "music/instrument_record.h"

constexpr int INSTRUMENT_COUNT = 15;
constexpr int VOICE_COUNT = 4;
constexpr size_t MODULE_HEADER_BYTES = 512;
// The header: the title, the signature, the table count (one byte), the song length (two
// bytes) and the 15 instrument records.
constexpr size_t MODULE_TITLE_BYTES = 26;
constexpr size_t SIGNATURE_OFFSET = 26;
constexpr size_t TABLE_COUNT_OFFSET = 29;
constexpr size_t SONG_LENGTH_OFFSET = 30;
constexpr size_t INSTRUMENT_RECORDS_OFFSET = 32;
constexpr size_t VOICE_ENTRY_BYTES = 4;  // pattern number (two bytes), instrument and note transpose
constexpr size_t POSITION_ENTRY_BYTES = VOICE_COUNT * VOICE_ENTRY_BYTES;
constexpr int PATTERN_ROWS = 16;
constexpr size_t PATTERN_ROW_BYTES = 3;
constexpr size_t PATTERN_BYTES = PATTERN_ROWS * PATTERN_ROW_BYTES;  // 48
constexpr size_t SYNTH_TABLE_BYTES = 64;

inline uint16_t readBE16(const uint8_t* bytes) { return uint16_t(bytes[0] << 8 | bytes[1]); }
inline void writeBE16(uint8_t* bytes, uint16_t value) {
    bytes[0] = uint8_t(value >> 8);
    bytes[1] = uint8_t(value);
}

// The three generations of the format, told apart by the signature at SIGNATURE_OFFSET. The
// oldest ("ZUNQ") fills the table count's byte with its signature and holds no tables.
enum class ModuleGeneration { V3, V2, ZUNQ };
struct ModuleSignature {
    ModuleGeneration generation;
    const char* text;
    size_t bytes;  // how many of the text's bytes the file holds
};
constexpr ModuleSignature ModuleSignatures[] = {
    {ModuleGeneration::V3, "V.3", 3},
    {ModuleGeneration::V2, "V.2", 3},
    {ModuleGeneration::ZUNQ, "ZUNQ", 4},
};
const ModuleSignature& signatureOf(ModuleGeneration generation);

enum class LayoutProblem { None, ShorterThanHeader, NoSignature, PositionsPastEnd, PatternsPastEnd };

struct ModuleLayout {
    ModuleGeneration generation = ModuleGeneration::V3;  // set once the signature is found
    uint16_t songLength = 0;
    uint16_t patternCount = 0;  // the highest pattern number a voice entry names
    size_t emptyEntries = 0;    // voice entries that name pattern 0
    size_t tableCount = 0;
    // Byte offsets from the start of the file. Positions and patterns lie wholly inside it; the
    // tables and the samples may run past its end, where a cut file lost them.
    size_t positionsOffset = MODULE_HEADER_BYTES;
    size_t patternsOffset = 0;
    size_t tablesOffset = 0;
    size_t tableBytesInFile = 0;  // of tableCount x 64
    size_t samplesOffset = 0;     // after all tableCount tables
    size_t samplesEnd = 0;        // after the samples of every sampled instrument's record
};

// Walks the header and the section sizes of the size bytes at image. The first problem that
// keeps the module from being read; the layout holds what was found before it.
LayoutProblem walkModuleLayout(const uint8_t* image, size_t size, ModuleLayout& layout);

// The bytes a sampled instrument's record gives it: twice its length in words, kept in 16 bits
// as the player keeps it (so a longer one wraps round).
inline uint16_t sampleBytesOfRecord(const uint8_t* record) {
    return uint16_t(readBE16(record + rec::SAMPLE_LENGTH) * 2);
}
