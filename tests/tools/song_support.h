// Songs and helpers shared by the song compiler tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/song/song.h"

namespace songtest {

// Every effect command, every synthesis unit and waveform effect type, every table generator,
// sampled instruments from generators and data lines, a raw record and trailing bytes.
extern const char* const EVERYTHING_SONG;
// Synths that the V.2 generation can hold (no waveform effect, no tail modulation).
extern const char* const V2_SONG;
// Sampled instruments only and no synthesis tables, as the ZUNQ generation holds.
extern const char* const ZUNQ_SONG;

// Reads and compiles song text; on failure returns an empty module and the messages.
std::vector<uint8_t> compileText(const std::string& text, song::Generation generation,
                                 std::vector<song::Diagnostic>* diagnostics = nullptr);
// The V.3 module of the text, or the text's own generation when asked.
std::vector<uint8_t> compileText(const std::string& text);

// decompile, write as text, read the text and compile it again for the module's generation.
std::vector<uint8_t> roundTrip(const std::vector<uint8_t>& module, std::string* error = nullptr);

std::vector<uint8_t> readBinary(const std::string& path);
std::string readText(const std::string& path);

}  // namespace songtest
