#include "tools/song/compiler.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "tools/message_format.h"
#include "tools/song/song_messages.h"

namespace song {

namespace {

int lineOf(const SongInstrument& ins, const char* field) {
    auto it = ins.fieldLines.find(field);
    return it != ins.fieldLines.end() ? it->second : ins.line;
}

// A read of count bytes from table number table must stay inside the song's tables.
void checkTableRead(const Song& song, int k, const char* field, const char* what, int table,
                    long count, std::vector<Diagnostic>& diagnostics) {
    const long tableCount = static_cast<long>(song.tables.size() / SYNTH_TABLE_BYTES);
    if (static_cast<long>(table) * SYNTH_TABLE_BYTES + count <= tableCount * SYNTH_TABLE_BYTES) return;
    const SongInstrument& ins = song.instruments[k - 1];
    diagnostics.push_back({lineOf(ins, field), formatMessage(TABLE_READ_OUT_OF_RANGE, k, what, count, table,
                                                             tableCount, tableCount - 1)});
}

void checkSynth(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const SongInstrument& ins = song.instruments[k - 1];
    const Record& r = ins.record;
    const long waveBytes = 2L * readBE16(&r[rec::WAVE_LENGTH]);
    if (waveBytes > LONGEST_LENGTH)
        diagnostics.push_back(
            {lineOf(ins, "wave"), formatMessage(WAVE_TOO_LONG, k, waveBytes, LONGEST_LENGTH)});
    else if (waveBytes <= 2)
        diagnostics.push_back({lineOf(ins, "wave"), formatMessage(WAVE_TOO_SHORT, k, waveBytes)});
    // Every note start copies the wave's first 32 bytes into the voice's working buffer.
    if (waveBytes <= LONGEST_LENGTH)
        checkTableRead(song, k, "wave", "wave", r[rec::WAVE_TABLE], std::max(waveBytes, 32L), diagnostics);
    if (r[rec::VOLUME] > 64)
        diagnostics.push_back(
            {lineOf(ins, "volume"), formatMessage(INSTRUMENT_VOLUME_OUT_OF_RANGE, k, r[rec::VOLUME])});
    for (const rec::UnitLayout& unit : rec::UnitLayouts) {
        if (r[unit.control] == 0) continue;
        const uint16_t length = readBE16(&r[unit.length]);
        if (length == 0) {
            diagnostics.push_back({lineOf(ins, unit.name), formatMessage(UNIT_LENGTH_ZERO, k, unit.name)});
            continue;
        }
        checkTableRead(song, k, unit.name, unit.name, r[unit.table], length, diagnostics);
    }
    const uint8_t type = r[rec::EFFECT_TYPE];
    if (type >= 2 && type <= 5) {
        const int target = type == 4 ? (r[rec::WAVE_TABLE] + 1) & 0xFF : r[rec::WAVE_TABLE];
        checkTableRead(song, k, "waveform-effect", "waveform effect", target, 32, diagnostics);
    }
}

void checkSample(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const SongInstrument& ins = song.instruments[k - 1];
    const Record& r = ins.record;
    const long length = 2L * readBE16(&r[rec::SAMPLE_LENGTH]);
    const long loopStart = readBE16(&r[rec::LOOP_START]);
    const long loopLength = 2L * readBE16(&r[rec::LOOP_LENGTH]);
    if (length > LONGEST_LENGTH)
        diagnostics.push_back(
            {lineOf(ins, "data"), formatMessage(SAMPLE_BYTES_TOO_MANY, k, length, LONGEST_LENGTH)});
    if (readBE16(&r[rec::SAMPLE_VOLUME]) > 64)
        diagnostics.push_back({lineOf(ins, "volume"), formatMessage(INSTRUMENT_VOLUME_OUT_OF_RANGE, k,
                                                                    readBE16(&r[rec::SAMPLE_VOLUME]))});
    if (loopLength > 2 && loopStart + loopLength > length)
        diagnostics.push_back(
            {lineOf(ins, "loop"), formatMessage(LOOP_PAST_SAMPLE, k, loopStart + loopLength, length)});
    if (r[rec::MARKER] == SYNTHETIC_MARKER)
        diagnostics.push_back({ins.line, formatMessage(SAMPLE_MARKED_SYNTH, k)});
}

// The V.2 upgrade writes fixed values into the units that generation lacks; a song fits V.2
// only if its synths already hold exactly those.
void checkFitsV2(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const SongInstrument& ins = song.instruments[k - 1];
    V2Spare spare{};
    Record roundTrip = fromV2Layout(toV2Layout(ins.record, spare), nullptr);
    if (roundTrip == ins.record) return;
    const Record& r = ins.record;
    const bool effectDiffers = r[rec::EFFECT_TYPE] != 0 || r[rec::EFFECT_SPEED] != 1 || r[rec::EFFECT_DELAY] != 0;
    const char* field = effectDiffers ? "waveform-effect" : "tail-modulation";
    diagnostics.push_back({lineOf(ins, field),
                           formatMessage(effectDiffers ? V2_HAS_NO_WAVEFORM_EFFECT : V2_HAS_NO_TAIL_MODULATION, k)});
}

void checkGeneration(const Song& song, Generation generation, std::vector<Diagnostic>& diagnostics) {
    if (generation == Generation::ZUNQ && !song.tables.empty())
        diagnostics.push_back({song.tableLines.empty() ? 0 : song.tableLines[0],
                               formatMessage(ZUNQ_HAS_NO_TABLES, song.tables.size() / SYNTH_TABLE_BYTES)});
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        const SongInstrument& ins = song.instruments[k - 1];
        if (!ins.synthetic()) continue;
        if (ins.raw && generation != song.generation)
            diagnostics.push_back({ins.line, formatMessage(RAW_FOR_OTHER_GENERATION, k,
                                                           generationName(song.generation),
                                                           generationName(generation))});
        if (ins.raw) continue;
        const bool spare = std::any_of(ins.v2Spare.begin(), ins.v2Spare.end(), [](uint8_t b) { return b != 0; });
        if (spare && generation != Generation::V2)
            diagnostics.push_back({lineOf(ins, "v2-spare"), formatMessage(V2_SPARE_ONLY_IN_V2, k)});
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
                diagnostics.push_back(
                    {song.positions[p].line, formatMessage(PATTERN_NOT_DEFINED, p, entry.pattern)});
    for (const auto& [number, pattern] : song.patterns)
        if (number > highest)
            diagnostics.push_back({pattern.line, formatMessage(PATTERN_NOT_PLAYED, number, highest)});
}

}  // namespace

Record toV2Layout(const Record& current, const V2Spare& spare) {
    Record old{};
    size_t dropped = 0;
    for (size_t i = 0; i < INSTRUMENT_RECORD_BYTES; ++i)
        old[i] = rec::V2ToCurrent[i] >= 0 ? current[rec::V2ToCurrent[i]] : spare[dropped++];
    return old;
}

Record fromV2Layout(const Record& old, V2Spare* spare) {
    Record current{};
    upgradeV2Record(old.data(), current.data(), spare ? spare->data() : nullptr);
    return current;
}

std::vector<Diagnostic> songWarnings(const Song& song) {
    // The instrument transposes each pattern is played with.
    std::map<int, std::set<int>> transposes;
    for (const Position& position : song.positions)
        for (const VoiceEntry& entry : position.voices) transposes[entry.pattern].insert(entry.instrumentTranspose);
    std::vector<Diagnostic> warnings;
    // The player keeps a sample's length in bytes in 16 bits; the compiler refuses longer samples
    // but takes a raw record as it stands.
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        const SongInstrument& ins = song.instruments[k - 1];
        const long length = 2L * readBE16(&ins.record[rec::SAMPLE_LENGTH]);
        if (ins.defined && !ins.synthetic() && length > LONGEST_LENGTH)
            warnings.push_back({ins.line, formatMessage(SAMPLE_PLAYED_SHORT, k, length - 65536, length)});
    }
    for (const auto& [number, pattern] : song.patterns) {
        for (int r = 0; r < PATTERN_ROWS; ++r) {
            const uint8_t* row = &pattern.bytes[r * 3];
            const int line = pattern.rowLines[r] ? pattern.rowLines[r] : pattern.line;
            const int effect = row[1] & 15, parameter = row[2], note = static_cast<int8_t>(row[0]);
            if (effect == 7 && parameter > static_cast<int>(song.positions.size()))
                warnings.push_back(
                    {line, formatMessage(JUMP_PAST_END, number, r, parameter, song.positions.size())});
            if (note >= 43 && note <= 48)
                warnings.push_back({line, formatMessage(NOTE_AT_TOP_RATE, number, r)});
            const int instrument = row[1] >> 4;
            if (note == 0 || instrument == 0) continue;
            const bool keep = effect == 10 && (parameter & 15) != 0;
            for (int transpose : transposes[number]) {
                const int n = keep ? instrument : (instrument + transpose) & 0xFF;
                if (n <= INSTRUMENT_COUNT && song.instruments[n - 1].defined) continue;
                warnings.push_back({line, formatMessage(n > INSTRUMENT_COUNT ? NOTE_INSTRUMENT_MISSING
                                                                             : NOTE_INSTRUMENT_UNDEFINED,
                                                        number, r, n)});
                break;
            }
        }
    }
    return warnings;
}

bool checkInstrument(const Song& song, int k, std::vector<Diagnostic>& diagnostics) {
    const size_t before = diagnostics.size();
    const SongInstrument& ins = song.instruments[k - 1];
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
    const size_t tableCount = song.tables.size() / SYNTH_TABLE_BYTES;
    if (tableCount > 255) diagnostics.push_back({0, TOO_MANY_TABLES});
    if (diagnostics.size() != before) return false;

    const uint16_t patternCount = highestPattern(song);
    std::vector<uint8_t> bytes(MODULE_HEADER_BYTES, 0);
    std::copy(song.title.begin(), song.title.end(), bytes.begin());
    const ModuleSignature& signature = signatureOf(generation);
    std::memcpy(&bytes[SIGNATURE_OFFSET], signature.text, signature.bytes);
    if (generation != Generation::ZUNQ) bytes[TABLE_COUNT_OFFSET] = static_cast<uint8_t>(tableCount);
    writeBE16(&bytes[SONG_LENGTH_OFFSET], static_cast<uint16_t>(song.positions.size()));
    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        const SongInstrument& ins = song.instruments[k];
        if (!ins.defined) continue;
        Record record = ins.record;
        if (ins.synthetic() && !ins.raw && generation == Generation::V2) record = toV2Layout(record, ins.v2Spare);
        std::copy(record.begin(), record.end(), bytes.begin() + INSTRUMENT_RECORDS_OFFSET + k * INSTRUMENT_RECORD_BYTES);
    }
    for (const Position& position : song.positions)
        for (const VoiceEntry& entry : position.voices) {
            uint8_t e[4];
            writeBE16(e, entry.pattern);
            e[2] = entry.instrumentTranspose;
            e[3] = entry.noteTranspose;
            bytes.insert(bytes.end(), e, e + 4);
        }
    for (int p = 1; p <= patternCount; ++p) {
        auto it = song.patterns.find(p);
        if (it == song.patterns.end()) bytes.insert(bytes.end(), PATTERN_BYTES, 0);
        else bytes.insert(bytes.end(), it->second.bytes.begin(), it->second.bytes.end());
    }
    bytes.insert(bytes.end(), song.tables.begin(), song.tables.end());
    for (const SongInstrument& ins : song.instruments)
        if (ins.defined && !ins.synthetic()) bytes.insert(bytes.end(), ins.sampleData.begin(), ins.sampleData.end());
    bytes.insert(bytes.end(), song.trailer.begin(), song.trailer.end());
    if (song.cutTo >= 0) {
        if (static_cast<size_t>(song.cutTo) > bytes.size()) {
            diagnostics.push_back({song.cutLine, formatMessage(CUT_BEYOND_MODULE, song.cutTo, bytes.size())});
            return false;
        }
        bytes.resize(static_cast<size_t>(song.cutTo));
    }
    out.swap(bytes);
    return true;
}

}  // namespace song
