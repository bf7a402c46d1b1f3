#include "tools/song/song.h"

#include <sstream>

namespace song {

const char* generationName(Generation generation) {
    switch (generation) {
        case Generation::V2: return "V.2";
        case Generation::ZUNQ: return "ZUNQ";
        default: return "V.3";
    }
}

bool generationFromName(const std::string& name, Generation& generation) {
    if (name == "V.3") generation = Generation::V3;
    else if (name == "V.2") generation = Generation::V2;
    else if (name == "ZUNQ") generation = Generation::ZUNQ;
    else return false;
    return true;
}

std::string formatDiagnostics(const std::string& fileName, const std::vector<Diagnostic>& list) {
    std::ostringstream out;
    for (const Diagnostic& d : list) {
        out << fileName;
        if (d.line > 0) out << ":" << d.line;
        out << ": " << d.message << "\n";
    }
    return out.str();
}

uint16_t readU16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

void writeU16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

}  // namespace song
