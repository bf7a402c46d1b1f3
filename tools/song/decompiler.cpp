#include "tools/song/decompiler.h"

#include <algorithm>

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
    std::copy_n(bytes.begin() + INSTRUMENT_RECORDS_OFFSET + (k - 1) * INSTRUMENT_RECORD_BYTES,
                INSTRUMENT_RECORD_BYTES, stored.begin());
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

// The decompiler's own words for a module the layout walk refuses.
std::string layoutError(LayoutProblem problem, const ModuleLayout& layout, size_t size) {
    switch (problem) {
    case LayoutProblem::ShorterThanHeader: return formatMessage(MODULE_SHORTER_THAN_HEADER, size);
    case LayoutProblem::NoSignature: return NO_MODULE_SIGNATURE;
    case LayoutProblem::PositionsPastEnd: return POSITIONS_PAST_END;
    case LayoutProblem::PatternsPastEnd: return formatMessage(PATTERNS_PAST_END, layout.tablesOffset, size);
    case LayoutProblem::None: break;
    }
    return "";
}

}  // namespace

bool decompileModule(const std::vector<uint8_t>& file, Song& song, std::string& error) {
    song = Song{};
    ModuleLayout layout;
    const LayoutProblem problem = walkModuleLayout(file.data(), file.size(), layout);
    if (problem != LayoutProblem::None) {
        error = layoutError(problem, layout, file.size());
        return false;
    }
    song.generation = layout.generation;
    std::vector<uint8_t> bytes = file;
    std::copy_n(bytes.begin(), MODULE_TITLE_BYTES, song.title.begin());
    song.positions.resize(layout.songLength);
    for (size_t p = 0; p < layout.songLength; ++p)
        for (size_t v = 0; v < VOICE_COUNT; ++v) {
            const uint8_t* e = &bytes[layout.positionsOffset + p * POSITION_ENTRY_BYTES + v * VOICE_ENTRY_BYTES];
            VoiceEntry& entry = song.positions[p].voices[v];
            entry.pattern = readBE16(e);
            entry.instrumentTranspose = e[2];
            entry.noteTranspose = e[3];
        }
    // A file that ends inside its tables or samples is read as if padded with zeros and
    // remembered as cut short.
    if (bytes.size() < layout.samplesEnd) {
        song.cutTo = static_cast<long>(bytes.size());
        bytes.resize(layout.samplesEnd, 0);
    }
    for (size_t p = 1; p <= layout.patternCount; ++p)
        std::copy_n(bytes.begin() + layout.patternsOffset + (p - 1) * PATTERN_BYTES, PATTERN_BYTES,
                    song.patterns[int(p)].bytes.begin());
    song.tables.assign(bytes.begin() + layout.tablesOffset, bytes.begin() + layout.samplesOffset);
    song.tableLines.assign(layout.tableCount, 0);

    size_t cursor = layout.samplesOffset;
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        readInstrument(bytes, song, k);
        SongInstrument& ins = song.instruments[k - 1];
        if (!ins.defined || ins.synthetic()) continue;
        // As many bytes as the game gives the instrument (a raw record's length may wrap).
        const size_t size = sampleBytesOfRecord(ins.record.data());
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
