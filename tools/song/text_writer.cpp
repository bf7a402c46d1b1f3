// Writing a Song as text that the reader reads back to the same song.
#include "tools/song/text_format.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/song/text_tokens.h"

namespace song {

namespace {

std::string quoted(const uint8_t* bytes, size_t size) {
    while (size > 0 && bytes[size - 1] == 0) --size;
    std::string out = "\"";
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = bytes[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

// Each byte as a space and two upper-case hex digits.
void writeHexBytes(std::ostringstream& out, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        out << hex;
    }
}

void writeHexLines(std::ostringstream& out, const std::vector<uint8_t>& bytes, const char* indent) {
    for (size_t i = 0; i < bytes.size(); i += 32) {
        out << indent << "data";
        writeHexBytes(out, &bytes[i], std::min<size_t>(32, bytes.size() - i));
        out << "\n";
    }
}

std::string controlName(uint8_t control) {
    return control == 0 ? "off" : control == 1 ? "once" : control == 2 ? "repeat" : std::to_string(control);
}

void writeSynth(std::ostringstream& out, const SongInstrument& ins) {
    const Record& r = ins.record;
    out << "  wave " << int(r[rec::WAVE_TABLE]) << " length " << 2 * readBE16(&r[rec::WAVE_LENGTH]) << "\n";
    out << "  volume " << int(r[rec::VOLUME]) << "\n";
    for (const rec::UnitLayout& unit : rec::UnitLayouts) {
        out << "  " << unit.name << " " << controlName(r[unit.control]) << " table " << int(r[unit.table])
            << " length " << readBE16(&r[unit.length]);
        if (unit.depth >= 0) out << " depth " << int(r[unit.depth]);
        if (unit.delay >= 0) out << " delay " << int(r[unit.delay]);
        out << " speed " << int(r[unit.speed]) << "\n";
    }
    uint8_t type = r[rec::EFFECT_TYPE];
    out << "  waveform-effect " << (type < 5 ? EffectTypeNames[type] : std::to_string(type))
        << " speed " << int(r[rec::EFFECT_SPEED]) << " delay " << int(r[rec::EFFECT_DELAY]) << "\n";
    if (std::any_of(ins.v2Spare.begin(), ins.v2Spare.end(), [](uint8_t b) { return b != 0; })) {
        out << "  v2-spare";
        writeHexBytes(out, ins.v2Spare.data(), ins.v2Spare.size());
        out << "\n";
    }
}

}  // namespace

std::string noteName(int note) {
    if (note == 0) return "---";
    if (note < 1 || note > 48) return "";
    return std::string(NoteNames[(note - 1) % 12]) + std::to_string((note - 1) / 12 + 1);
}

std::string writeSongText(const Song& song) {
    std::ostringstream out;
    out << "; four-voice song, see docs/song-format.md\n";
    out << "title " << quoted(song.title.data(), song.title.size()) << "\n";
    if (song.generation != Generation::V3) out << "generation " << generationName(song.generation) << "\n";

    for (size_t t = 0; t * SYNTH_TABLE_BYTES < song.tables.size(); ++t) {
        out << "\ntable " << t << " values\n";
        const uint8_t* values = &song.tables[t * SYNTH_TABLE_BYTES];
        size_t used = SYNTH_TABLE_BYTES;
        while (used > 0 && values[used - 1] == 0) --used;
        for (size_t i = 0; i < used; i += 16) {
            out << " ";
            for (size_t j = i; j < i + 16 && j < used; ++j) out << " " << int(static_cast<int8_t>(values[j]));
            out << "\n";
        }
    }

    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        const SongInstrument& ins = song.instruments[k];
        if (!ins.defined) continue;
        out << "\ninstrument " << k + 1;
        if (ins.raw) {
            out << " raw";
            writeHexBytes(out, ins.record.data(), ins.record.size());
            out << "\n";
        } else if (ins.synthetic()) {
            out << " synth\n";
            writeSynth(out, ins);
            continue;
        } else {
            out << " sample " << quoted(ins.record.data(), rec::NAME_SIZE) << "\n";
            out << "  volume " << readBE16(&ins.record[rec::SAMPLE_VOLUME]) << "\n";
            out << "  loop " << readBE16(&ins.record[rec::LOOP_START]) << " "
                << 2 * readBE16(&ins.record[rec::LOOP_LENGTH]) << "\n";
        }
        writeHexLines(out, ins.sampleData, "  ");
    }

    for (const auto& [number, pattern] : song.patterns) {
        out << "\npattern " << number << "\n";
        for (int r = 0; r < PATTERN_ROWS; ++r) {
            const uint8_t* row = &pattern.bytes[r * 3];
            std::string note = noteName(static_cast<int8_t>(row[0]));
            if (note.empty()) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "$%02X", row[0]);
                note = hex;
            }
            char text[32];
            int instrument = row[1] >> 4;
            if (instrument == 0) std::snprintf(text, sizeof text, "  %s ..", note.c_str());
            else std::snprintf(text, sizeof text, "  %s %02d", note.c_str(), instrument);
            out << text;
            if ((row[1] & 15) == 0 && row[2] == 0) out << " ...\n";
            else {
                std::snprintf(text, sizeof text, " %X%02X\n", row[1] & 15, row[2]);
                out << text;
            }
        }
    }

    out << "\npositions\n";
    for (size_t p = 0; p < song.positions.size(); ++p) {
        out << " ";
        for (const VoiceEntry& entry : song.positions[p].voices) {
            out << " " << (entry.pattern ? std::to_string(entry.pattern) : "--");
            if (entry.noteTranspose || entry.instrumentTranspose)
                out << ":" << int(static_cast<int8_t>(entry.noteTranspose));
            if (entry.instrumentTranspose) out << ":" << int(entry.instrumentTranspose);
        }
        out << "  ; " << p << "\n";
    }

    if (!song.trailer.empty()) {
        out << "\ntrailer\n";
        writeHexLines(out, song.trailer, "  ");
    }
    if (song.cutTo >= 0) out << "\n; the module file ends inside its tables or samples\ncut-to " << song.cutTo << "\n";
    return out.str();
}

}  // namespace song
