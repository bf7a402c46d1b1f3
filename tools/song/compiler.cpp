#include "tools/song/compiler.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace song {

namespace {

// Where each byte of an older synthetic record lands in the current layout (-1: dropped).
constexpr int V2_TO_CURRENT[RECORD_SIZE] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                            11, 12, 13, -1, 14, 15, 16, 17, -1, 18, 19,
                                            -1, 20, 21, 29, -1, -1, -1, -1, -1, -1};

int lineOf(const Instrument& ins, const char* field) {
    auto it = ins.fieldLines.find(field);
    return it != ins.fieldLines.end() ? it->second : ins.line;
}

std::string instrumentLabel(int k) { return "instrument " + std::to_string(k); }

// A read of count bytes from table number table must stay inside the song's tables.
void checkTableRead(const Song& song, int k, const char* field, const char* what, int table,
                    long count, std::vector<Diagnostic>& diagnostics) {
    const long tableCount = static_cast<long>(song.tables.size() / TABLE_SIZE);
    if (static_cast<long>(table) * TABLE_SIZE + count <= tableCount * TABLE_SIZE) return;
    const Instrument& ins = song.instruments[k - 1];
    diagnostics.push_back(
        {lineOf(ins, field), instrumentLabel(k) + ": the " + what + " reads " + std::to_string(count) +
                                 " bytes from table " + std::to_string(table) +
                                 ", which is out of range: the song has " + std::to_string(tableCount) +
                                 " table(s), 0.." + std::to_string(tableCount - 1)});
}

struct UnitFields {
    const char* field;
    int control, table, length;
};

const UnitFields UNIT_FIELDS[] = {
    {"volume-envelope", rec::VOL_CONTROL, rec::VOL_TABLE, rec::VOL_LENGTH},
    {"pitch-modulation", rec::PITCH_CONTROL, rec::PITCH_TABLE, rec::PITCH_LENGTH},
    {"inversion-envelope", rec::INV_CONTROL, rec::INV_TABLE, rec::INV_LENGTH},
    {"tail-modulation", rec::TAIL_CONTROL, rec::TAIL_TABLE, rec::TAIL_LENGTH},
};

void checkSynth(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const Instrument& ins = song.instruments[k - 1];
    const Record& r = ins.record;
    const long waveBytes = 2L * readU16(&r[rec::WAVE_LENGTH]);
    if (waveBytes <= 2)
        diagnostics.push_back({lineOf(ins, "wave"), instrumentLabel(k) + ": the wave length is " +
                                                        std::to_string(waveBytes) +
                                                        " bytes; a looping wave needs at least 4"});
    // Every note start copies the wave's first 32 bytes into the voice's working buffer.
    checkTableRead(song, k, "wave", "wave", r[rec::WAVE_TABLE], std::max(waveBytes, 32L), diagnostics);
    if (r[rec::VOLUME] > 64)
        diagnostics.push_back({lineOf(ins, "volume"), instrumentLabel(k) + ": volume " +
                                                          std::to_string(r[rec::VOLUME]) + " is out of 0..64"});
    for (const UnitFields& unit : UNIT_FIELDS) {
        if (r[unit.control] == 0) continue;
        const uint16_t length = readU16(&r[unit.length]);
        if (length == 0) {
            diagnostics.push_back({lineOf(ins, unit.field),
                                   instrumentLabel(k) + ": the " + unit.field +
                                       " is on with a unit length of 0; give the number of table values it steps through"});
            continue;
        }
        checkTableRead(song, k, unit.field, unit.field, r[unit.table], length, diagnostics);
    }
    const uint8_t type = r[rec::EFFECT_TYPE];
    if (type >= 2 && type <= 5) {
        const int target = type == 4 ? (r[rec::WAVE_TABLE] + 1) & 0xFF : r[rec::WAVE_TABLE];
        checkTableRead(song, k, "waveform-effect", "waveform effect", target, 32, diagnostics);
    }
}

void checkSample(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const Instrument& ins = song.instruments[k - 1];
    const Record& r = ins.record;
    const long length = 2L * readU16(&r[rec::SAMPLE_LENGTH]);
    const long loopStart = readU16(&r[rec::LOOP_START]);
    const long loopLength = 2L * readU16(&r[rec::LOOP_LENGTH]);
    if (readU16(&r[rec::SAMPLE_VOLUME]) > 64)
        diagnostics.push_back({lineOf(ins, "volume"), instrumentLabel(k) + ": volume " +
                                                          std::to_string(readU16(&r[rec::SAMPLE_VOLUME])) +
                                                          " is out of 0..64"});
    if (loopLength > 2 && loopStart + loopLength > length)
        diagnostics.push_back({lineOf(ins, "loop"), instrumentLabel(k) + ": the loop ends at byte " +
                                                        std::to_string(loopStart + loopLength) +
                                                        ", past the sample's " + std::to_string(length) + " bytes"});
    if (r[0] == 0xFF)
        diagnostics.push_back({ins.line, instrumentLabel(k) + ": a sample's name cannot begin with the byte FF"});
}

// The V.2 upgrade writes fixed values into the units that generation lacks; a song fits V.2
// only if its synths already hold exactly those.
void checkFitsV2(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const Instrument& ins = song.instruments[k - 1];
    std::array<uint8_t, 9> spare{};
    Record roundTrip = fromV2Layout(toV2Layout(ins.record, spare), nullptr);
    if (roundTrip == ins.record) return;
    const Record& r = ins.record;
    const bool effectDiffers = r[rec::EFFECT_TYPE] != 0 || r[rec::EFFECT_SPEED] != 1 || r[rec::EFFECT_DELAY] != 0;
    const char* field = effectDiffers ? "waveform-effect" : "tail-modulation";
    diagnostics.push_back(
        {lineOf(ins, field),
         instrumentLabel(k) + ": the V.2 generation has no " + (effectDiffers ? "waveform effect" : "tail modulation") +
             "; for V.2 it must read '" +
             (effectDiffers ? "waveform-effect off speed 1 delay 0" : "tail-modulation off table 0 length 0 delay 0 speed 1") +
             "'"});
}

void checkGeneration(const Song& song, Generation generation, std::vector<Diagnostic>& diagnostics) {
    if (generation == Generation::ZUNQ && !song.tables.empty())
        diagnostics.push_back({song.tableLines.empty() ? 0 : song.tableLines[0],
                               "the ZUNQ generation holds no synthesis tables, and this song has " +
                                   std::to_string(song.tables.size() / TABLE_SIZE)});
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        const Instrument& ins = song.instruments[k - 1];
        if (!ins.synthetic()) continue;
        if (ins.raw && generation != song.generation)
            diagnostics.push_back({ins.line, instrumentLabel(k) + " is given as raw bytes of the " +
                                                 generationName(song.generation) +
                                                 " generation and cannot be rewritten for " +
                                                 generationName(generation)});
        if (ins.raw) continue;
        const bool spare = std::any_of(ins.v2Spare.begin(), ins.v2Spare.end(), [](uint8_t b) { return b != 0; });
        if (spare && generation != Generation::V2)
            diagnostics.push_back({lineOf(ins, "v2-spare"), instrumentLabel(k) +
                                                                ": v2-spare bytes exist only in the V.2 generation"});
        if (generation == Generation::V2) checkFitsV2(song, k, diagnostics);
    }
}

uint16_t highestPattern(const Song& song) {
    uint16_t highest = 0;
    for (const Position& position : song.positions)
        for (const VoiceEntry& entry : position.voices) highest = std::max(highest, entry.pattern);
    return highest;
}

void checkPatterns(const Song& song, std::vector<Diagnostic>& diagnostics) {
    const uint16_t highest = highestPattern(song);
    for (size_t p = 0; p < song.positions.size(); ++p)
        for (const VoiceEntry& entry : song.positions[p].voices)
            if (entry.pattern != 0 && !song.patterns.count(entry.pattern))
                diagnostics.push_back({song.positions[p].line, "position " + std::to_string(p) +
                                                                   " plays pattern " + std::to_string(entry.pattern) +
                                                                   ", which is not defined"});
    for (const auto& [number, pattern] : song.patterns)
        if (number > highest)
            diagnostics.push_back(
                {pattern.line, "pattern " + std::to_string(number) +
                                   " is played by no position; a module only holds patterns up to the highest one played (" +
                                   std::to_string(highest) + ")"});
}

}  // namespace

Record toV2Layout(const Record& current, const std::array<uint8_t, 9>& spare) {
    Record old{};
    for (int i = 0; i < RECORD_SIZE; ++i)
        if (V2_TO_CURRENT[i] >= 0) old[i] = current[V2_TO_CURRENT[i]];
    for (size_t s = 0; s < V2_SPARE_OFFSETS.size(); ++s) old[V2_SPARE_OFFSETS[s]] = spare[s];
    return old;
}

Record fromV2Layout(const Record& old, std::array<uint8_t, 9>* spare) {
    Record current{};
    for (int i = 0; i < RECORD_SIZE; ++i)
        if (V2_TO_CURRENT[i] >= 0) current[V2_TO_CURRENT[i]] = old[i];
    current[rec::EFFECT_SPEED] = 1;  // the units the older generation lacks start switched off
    current[rec::TAIL_SPEED] = 1;
    if (spare)
        for (size_t s = 0; s < V2_SPARE_OFFSETS.size(); ++s) (*spare)[s] = old[V2_SPARE_OFFSETS[s]];
    return current;
}

std::vector<Diagnostic> songWarnings(const Song& song) {
    // The instrument transposes each pattern is played with.
    std::map<int, std::set<int>> transposes;
    for (const Position& position : song.positions)
        for (const VoiceEntry& entry : position.voices) transposes[entry.pattern].insert(entry.instrumentTranspose);
    std::vector<Diagnostic> warnings;
    // The player keeps a sample's length in bytes in 16 bits.
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        const Instrument& ins = song.instruments[k - 1];
        const long length = 2L * readU16(&ins.record[rec::SAMPLE_LENGTH]);
        if (ins.defined && !ins.synthetic() && length > 65534)
            warnings.push_back({ins.line, instrumentLabel(k) + ": the game plays only " +
                                              std::to_string(length - 65536) + " of its " +
                                              std::to_string(length) + " sample bytes (at most 65534)"});
    }
    for (const auto& [number, pattern] : song.patterns) {
        for (int r = 0; r < PATTERN_ROWS; ++r) {
            const uint8_t* row = &pattern.bytes[r * 3];
            const int line = pattern.rowLines[r] ? pattern.rowLines[r] : pattern.line;
            const std::string where = "pattern " + std::to_string(number) + " row " + std::to_string(r) + ": ";
            const int effect = row[1] & 15, parameter = row[2], note = static_cast<int8_t>(row[0]);
            if (effect == 7 && parameter > static_cast<int>(song.positions.size()))
                warnings.push_back({line, where + "jump to position " + std::to_string(parameter) +
                                              ", past the song's " + std::to_string(song.positions.size()) + " positions"});
            if (note >= 43 && note <= 48)
                warnings.push_back({line, where + "notes F#4 to B-4 all sound at the mixer's top rate"});
            const int instrument = row[1] >> 4;
            if (note == 0 || instrument == 0) continue;
            const bool keep = effect == 10 && (parameter & 15) != 0;
            for (int transpose : transposes[number]) {
                const int n = keep ? instrument : (instrument + transpose) & 0xFF;
                if (n <= INSTRUMENT_COUNT && song.instruments[n - 1].defined) continue;
                warnings.push_back({line, where + "instrument " + std::to_string(n) +
                                              (n > INSTRUMENT_COUNT ? " does not exist" : " is not defined") +
                                              "; the note plays nothing"});
                break;
            }
        }
    }
    return warnings;
}

bool checkInstrument(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const size_t before = diagnostics.size();
    const Instrument& ins = song.instruments[k - 1];
    if (!ins.defined || ins.raw) return true;
    if (ins.synthetic()) checkSynth(song, k, diagnostics);
    else checkSample(song, k, diagnostics);
    return diagnostics.size() == before;
}

bool compileSong(const Song& song, Generation generation, std::vector<uint8_t>& out,
                 std::vector<Diagnostic>& diagnostics) {
    out.clear();
    const size_t before = diagnostics.size();
    checkPatterns(song, diagnostics);
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) checkInstrument(song, k, diagnostics);
    checkGeneration(song, generation, diagnostics);
    const size_t tableCount = song.tables.size() / TABLE_SIZE;
    if (tableCount > 255) diagnostics.push_back({0, "a module holds at most 255 synthesis tables"});
    if (diagnostics.size() != before) return false;

    const uint16_t patternCount = highestPattern(song);
    std::vector<uint8_t> bytes(HEADER_SIZE, 0);
    std::copy(song.title.begin(), song.title.end(), bytes.begin());
    std::memcpy(&bytes[26], generation == Generation::ZUNQ ? "ZUNQ" : generation == Generation::V2 ? "V.2" : "V.3",
                generation == Generation::ZUNQ ? 4 : 3);
    if (generation != Generation::ZUNQ) bytes[29] = static_cast<uint8_t>(tableCount);
    writeU16(&bytes[30], static_cast<uint16_t>(song.positions.size()));
    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        const Instrument& ins = song.instruments[k];
        if (!ins.defined) continue;
        Record record = ins.record;
        if (ins.synthetic() && !ins.raw && generation == Generation::V2) record = toV2Layout(record, ins.v2Spare);
        std::copy(record.begin(), record.end(), bytes.begin() + 32 + k * RECORD_SIZE);
    }
    for (const Position& position : song.positions)
        for (const VoiceEntry& entry : position.voices) {
            uint8_t e[4];
            writeU16(e, entry.pattern);
            e[2] = entry.instrumentTranspose;
            e[3] = entry.noteTranspose;
            bytes.insert(bytes.end(), e, e + 4);
        }
    for (int p = 1; p <= patternCount; ++p) {
        auto it = song.patterns.find(p);
        if (it == song.patterns.end()) bytes.insert(bytes.end(), PATTERN_SIZE, 0);
        else bytes.insert(bytes.end(), it->second.bytes.begin(), it->second.bytes.end());
    }
    bytes.insert(bytes.end(), song.tables.begin(), song.tables.end());
    for (const Instrument& ins : song.instruments)
        if (ins.defined && !ins.synthetic()) bytes.insert(bytes.end(), ins.sampleData.begin(), ins.sampleData.end());
    bytes.insert(bytes.end(), song.trailer.begin(), song.trailer.end());
    if (song.cutTo >= 0) {
        if (static_cast<size_t>(song.cutTo) > bytes.size()) {
            diagnostics.push_back({song.cutLine, "cut-to " + std::to_string(song.cutTo) + " is beyond the module's " +
                                                     std::to_string(bytes.size()) + " bytes"});
            return false;
        }
        bytes.resize(static_cast<size_t>(song.cutTo));
    }
    out.swap(bytes);
    return true;
}

}  // namespace song
