#include "tools/song/decompiler.h"

#include <algorithm>
#include <cstring>

#include "tools/song/compiler.h"

namespace song {

namespace {

bool allZero(const uint8_t* bytes, size_t size) {
    return std::all_of(bytes, bytes + size, [](uint8_t b) { return b == 0; });
}

// Takes instrument k from its stored record. It is written in the checked form when that form
// reproduces it, else as raw bytes.
void readInstrument(const std::vector<uint8_t>& bytes, Song& song, int k) {
    Instrument& ins = song.instruments[k - 1];
    Record stored;
    std::copy_n(bytes.begin() + 32 + (k - 1) * RECORD_SIZE, RECORD_SIZE, stored.begin());
    ins = Instrument{};
    if (allZero(stored.data(), stored.size())) return;
    ins.defined = true;
    ins.record = stored;
    if (stored[0] == 0xFF && song.generation == Generation::V2) ins.record = fromV2Layout(stored, &ins.v2Spare);
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
        error = "the file has " + std::to_string(bytes.size()) + " bytes, fewer than a module header's 512";
        return false;
    }
    size_t tableCount;
    if (std::memcmp(&bytes[26], "ZUNQ", 4) == 0) {
        song.generation = Generation::ZUNQ;
        tableCount = 0;
    } else if (std::memcmp(&bytes[26], "V.2", 3) == 0 || std::memcmp(&bytes[26], "V.3", 3) == 0) {
        song.generation = bytes[28] == '2' ? Generation::V2 : Generation::V3;
        tableCount = bytes[29];
    } else {
        error = "not a music module: no V.3, V.2 or ZUNQ signature at byte 26";
        return false;
    }
    std::copy_n(bytes.begin(), TITLE_SIZE, song.title.begin());
    const size_t length = readU16(&bytes[30]);
    size_t offset = HEADER_SIZE;
    if (bytes.size() < offset + length * POSITION_SIZE) {
        error = "the position list runs past the end of the file";
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
        error = "the patterns need " + std::to_string(tablesAt) + " bytes but the file has " +
                std::to_string(bytes.size());
        return false;
    }
    // A file that ends inside its tables or samples is read as if padded with zeros and
    // remembered as cut short.
    size_t needed = samplesAt;
    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        const uint8_t* record = &bytes[32 + k * RECORD_SIZE];
        if (record[0] != 0xFF) needed += bytesOfWords(readU16(&record[rec::SAMPLE_LENGTH]));
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
        Instrument& ins = song.instruments[k - 1];
        if (!ins.defined || ins.record[0] == 0xFF) continue;
        // As many bytes as the game gives the instrument (a raw record's length may wrap).
        const size_t size = bytesOfWords(readU16(&ins.record[rec::SAMPLE_LENGTH]));
        if (bytes.size() - cursor < size) {
            error = "the sample data of instrument " + std::to_string(k) + " runs past the end of the file";
            return false;
        }
        ins.sampleData.assign(bytes.begin() + cursor, bytes.begin() + cursor + size);
        cursor += size;
    }
    song.trailer.assign(bytes.begin() + cursor, bytes.end());
    return true;
}

}  // namespace song
