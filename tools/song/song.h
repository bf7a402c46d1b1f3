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

enum class Generation { V3, V2, ZUNQ };

const char* generationName(Generation generation);
bool generationFromName(const std::string& name, Generation& generation);

// The module's layout in the compiler's signed arithmetic; the sizes are the parser's own.
constexpr int INSTRUMENT_COUNT = ::INSTRUMENT_COUNT;
constexpr int RECORD_SIZE = int(INSTRUMENT_RECORD_BYTES);
constexpr int PATTERN_ROWS = ::PATTERN_ROWS;
constexpr int PATTERN_SIZE = int(PATTERN_BYTES);
constexpr int TABLE_SIZE = int(SYNTH_TABLE_BYTES);
constexpr int TITLE_SIZE = 26;
constexpr int HEADER_SIZE = int(MODULE_HEADER_BYTES);
constexpr int POSITION_SIZE = int(POSITION_ENTRY_BYTES);
constexpr int VOICES = 4;
// Records give sample, loop and wave lengths in 2-byte words, but the game keeps each length in
// bytes in 16 bits: a longer one would wrap round and shift every later sample.
constexpr long LONGEST_LENGTH = 65534;
// The byte count the game reads from a record's length in words.
inline long bytesOfWords(uint16_t words) { return static_cast<uint16_t>(words * 2); }

// Offsets inside a synthetic record of the current layout.
namespace rec {
constexpr int MARKER = 0, WAVE_TABLE = 1, WAVE_LENGTH = 2;
constexpr int VOL_CONTROL = 4, VOL_TABLE = 5, VOL_LENGTH = 6, VOL_SPEED = 8;
constexpr int PITCH_CONTROL = 9, PITCH_TABLE = 10, PITCH_DEPTH = 11, PITCH_LENGTH = 12,
              PITCH_DELAY = 14, PITCH_SPEED = 15;
constexpr int INV_CONTROL = 16, INV_TABLE = 17, INV_LENGTH = 18, INV_DELAY = 20, INV_SPEED = 21;
constexpr int EFFECT_TYPE = 22, EFFECT_SPEED = 23, EFFECT_DELAY = 24;
constexpr int TAIL_CONTROL = 25, TAIL_TABLE = 26, TAIL_SPEED = 27, TAIL_DELAY = 28;
constexpr int VOLUME = 29, TAIL_LENGTH = 30;
// Sampled records.
constexpr int NAME = 0, NAME_SIZE = 24, SAMPLE_LENGTH = 24, LOOP_START = 26, LOOP_LENGTH = 28,
              SAMPLE_VOLUME = 30;
}  // namespace rec

// The bytes of an older synthetic record that the upgrade to the current layout drops, in this
// order of their old offsets.
constexpr std::array<int, 9> V2_SPARE_OFFSETS = {14, 19, 22, 26, 27, 28, 29, 30, 31};

using Record = std::array<uint8_t, RECORD_SIZE>;

struct Instrument {
    bool defined = false;  // an undefined slot is 32 zero bytes
    int line = 0;          // where the text defines it (0 when decompiled)
    // raw: record holds the 32 bytes exactly as stored for the song's generation; otherwise the
    // current layout, checked by the compiler.
    bool raw = false;
    Record record{};
    std::array<uint8_t, 9> v2Spare{};  // dropped bytes of an older synthetic record
    std::vector<uint8_t> sampleData;    // signed 8-bit bytes as stored, sampled instruments only
    std::map<std::string, int> fieldLines;  // line of each attribute, for messages

    bool synthetic() const { return defined && record[0] == 0xFF; }
};

struct VoiceEntry {
    uint16_t pattern = 0;
    uint8_t instrumentTranspose = 0;
    uint8_t noteTranspose = 0;  // signed 8-bit as stored
};

struct Position {
    std::array<VoiceEntry, VOICES> voices{};
    int line = 0;
};

struct Pattern {
    std::array<uint8_t, PATTERN_SIZE> bytes{};
    int line = 0;
    std::array<int, PATTERN_ROWS> rowLines{};  // 0 when decompiled
};

struct Song {
    std::array<uint8_t, TITLE_SIZE> title{};
    Generation generation = Generation::V3;
    std::array<Instrument, INSTRUMENT_COUNT> instruments;  // instrument k is element k-1
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

uint16_t readU16(const uint8_t* bytes);
void writeU16(uint8_t* bytes, uint16_t value);

}  // namespace song
