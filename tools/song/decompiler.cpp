#include "tools/song/decompiler.h"

#include <algorithm>
#include <cstring>

#include "tools/message_format.h"
#include "tools/song/compiler.h"
#include "tools/song/song_messages.h"

namespace song {

namespace {

bool allZero(const uint8_t* bytes, size_t size) {
    return std::all_of(bytes, bytes + size, [](uint8_t b) { return b == 0; });
}

// Takes instrument k from its stored record. It is written in the checked form when that form
// reproduces it, else as raw bytes.
void readInstrument(const std::vector<uint8_t>& bytes, Song& song, int k) {
    SongInstrument& ins = song.instruments[k - 1];
    Record stored;
    std::copy_n(bytes.begin() + INSTRUMENT_RECORDS_OFFSET + (k - 1) * RECORD_SIZE, RECORD_SIZE, stored.begin());
    ins = SongInstrument{};
    if (allZero(stored.data(), stored.size())) return;
    ins.defined = true;
    ins.record = stored;
    if (stored[rec::MARKER] == SYNTHETIC_MARKER && song.generation == Generation::V2)
        ins.record = fromV2Layout(stored, &ins.v2Spare);
    std::vector<Diagnostic> problems;
    if (!checkInstrument(song, k, problems)) {
        ins.raw = true;
        ins.record = stored;
        ins.v2Spare = {};
    }
}

}  // namespace

bool decompileModule(const std::vector<uint8_t>& file, Song& song, std::string& error) {
    song = Song{};
    std::vector<uint8_t> bytes = file;
    if (bytes.size() < HEADER_SIZE) {
        error = formatMessage(MODULE_SHORTER_THAN_HEADER, bytes.size());
        return false;
    }
    size_t tableCount;
    const uint8_t* signature = &bytes[SIGNATURE_OFFSET];
    if (std::memcmp(signature, "ZUNQ", 4) == 0) {
        song.generation = Generation::ZUNQ;
        tableCount = 0;
    } else if (std::memcmp(signature, "V.2", 3) == 0 || std::memcmp(signature, "V.3", 3) == 0) {
        song.generation = signature[2] == '2' ? Generation::V2 : Generation::V3;
        tableCount = bytes[TABLE_COUNT_OFFSET];
    } else {
        error = NO_MODULE_SIGNATURE;
        return false;
    }
    std::copy_n(bytes.begin(), TITLE_SIZE, song.title.begin());
    const size_t length = readU16(&bytes[SONG_LENGTH_OFFSET]);
    size_t offset = HEADER_SIZE;
    if (bytes.size() < offset + length * POSITION_SIZE) {
        error = POSITIONS_PAST_END;
        return false;
    }
    uint16_t patternCount = 0;
    song.positions.resize(length);
    for (size_t p = 0; p < length; ++p)
        for (int v = 0; v < VOICES; ++v) {
            const uint8_t* e = &bytes[offset + p * POSITION_SIZE + v * 4];
            VoiceEntry& entry = song.positions[p].voices[v];
            entry.pattern = readU16(e);
            entry.instrumentTranspose = e[2];
            entry.noteTranspose = e[3];
            patternCount = std::max(patternCount, entry.pattern);
        }
    offset += length * POSITION_SIZE;
    const size_t tablesAt = offset + static_cast<size_t>(patternCount) * PATTERN_SIZE;
    const size_t samplesAt = tablesAt + tableCount * TABLE_SIZE;
    if (bytes.size() < tablesAt) {
        error = formatMessage(PATTERNS_PAST_END, tablesAt, bytes.size());
        return false;
    }
    // A file that ends inside its tables or samples is read as if padded with zeros and
    // remembered as cut short.
    size_t needed = samplesAt;
    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        const uint8_t* record = &bytes[INSTRUMENT_RECORDS_OFFSET + k * RECORD_SIZE];
        if (record[rec::MARKER] != SYNTHETIC_MARKER) needed += bytesOfWords(readU16(&record[rec::SAMPLE_LENGTH]));
    }
    if (bytes.size() < needed) {
        song.cutTo = static_cast<long>(bytes.size());
        bytes.resize(needed, 0);
    }
    for (int p = 1; p <= patternCount; ++p)
        std::copy_n(bytes.begin() + offset + (p - 1) * PATTERN_SIZE, PATTERN_SIZE, song.patterns[p].bytes.begin());
    song.tables.assign(bytes.begin() + tablesAt, bytes.begin() + samplesAt);
    song.tableLines.assign(tableCount, 0);

    size_t cursor = samplesAt;
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        readInstrument(bytes, song, k);
        SongInstrument& ins = song.instruments[k - 1];
        if (!ins.defined || ins.synthetic()) continue;
        // As many bytes as the game gives the instrument (a raw record's length may wrap).
        const size_t size = bytesOfWords(readU16(&ins.record[rec::SAMPLE_LENGTH]));
        if (bytes.size() - cursor < size) {
            error = formatMessage(SAMPLE_DATA_PAST_END, k);
            return false;
        }
        ins.sampleData.assign(bytes.begin() + cursor, bytes.begin() + cursor + size);
        cursor += size;
    }
    song.trailer.assign(bytes.begin() + cursor, bytes.end());
    return true;
}

}  // namespace song
