// The song as the compiler and decompiler see it: every byte of a music module, grouped the way
// the text format writes it. Instrument records are kept in the current ("V.3") layout; the
// compiler rearranges them for older generations.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "music/module.h"

namespace song {

using Generation = ModuleGeneration;

const char* generationName(Generation generation);
bool generationFromName(const std::string& name, Generation& generation);

// Records give sample, loop and wave lengths in 2-byte words, but the game keeps each length in
// bytes in 16 bits: a longer one would wrap round and shift every later sample.
constexpr long LONGEST_LENGTH = 65534;

// Instrument records are laid out as rec:: in music/instrument_record.h says.
using V2Spare = std::array<uint8_t, rec::V2_SPARE_BYTES>;
using Record = std::array<uint8_t, INSTRUMENT_RECORD_BYTES>;

// One instrument slot of a song as its text gives it: the record bytes with the lines they came
// from (the parser's view of a record is the music module's Instrument).
struct SongInstrument {
    bool defined = false;  // an undefined slot is 32 zero bytes
    int line = 0;          // where the text defines it (0 when decompiled)
    // raw: record holds the 32 bytes exactly as stored for the song's generation; otherwise the
    // current layout, checked by the compiler.
    bool raw = false;
    Record record{};
    V2Spare v2Spare{};                  // dropped bytes of an older synthetic record
    std::vector<uint8_t> sampleData;    // signed 8-bit bytes as stored, sampled instruments only
    std::map<std::string, int> fieldLines;  // line of each attribute, for messages

    bool synthetic() const { return defined && record[rec::MARKER] == SYNTHETIC_MARKER; }
};

struct VoiceEntry {
    uint16_t pattern = 0;
    uint8_t instrumentTranspose = 0;
    uint8_t noteTranspose = 0;  // signed 8-bit as stored
};

struct Position {
    std::array<VoiceEntry, VOICE_COUNT> voices{};
    int line = 0;
};

struct Pattern {
    std::array<uint8_t, PATTERN_BYTES> bytes{};
    int line = 0;
    std::array<int, PATTERN_ROWS> rowLines{};  // 0 when decompiled
};

struct Song {
    std::array<uint8_t, MODULE_TITLE_BYTES> title{};
    Generation generation = Generation::V3;
    std::array<SongInstrument, INSTRUMENT_COUNT> instruments;  // instrument k is element k-1
    std::vector<Position> positions;
    std::map<int, Pattern> patterns;  // by pattern number 1..65535
    std::vector<uint8_t> tables;      // table count × 64 signed bytes as stored
    std::vector<int> tableLines;      // per table, the line that defines it (0 = none)
    std::vector<uint8_t> trailer;     // bytes after the sample data
    long cutTo = -1;                  // a module cut short inside its tables or samples: its size
    int cutLine = 0;
};

// A message about the song text, with the line it refers to (0 = the song as a whole).
struct Diagnostic {
    int line = 0;
    std::string message;
};

std::string formatDiagnostics(const std::string& fileName, const std::vector<Diagnostic>& list);

}  // namespace song
