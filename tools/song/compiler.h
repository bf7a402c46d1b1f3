// Turns a Song into the bytes of a music module of one of the three generations.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/song/song.h"

namespace song {

// Checks that instrument k (1..15) is sound: units that are on step through at least one value,
// every table it reads lies inside the song's tables, volumes and loops are in range. Raw
// instruments are not checked. Appends what is wrong and returns whether nothing was.
bool checkInstrument(const Song& song, int k, std::vector<Diagnostic>& diagnostics);

// Writes the module for the given generation. On any mistake returns false with diagnostics and
// leaves out empty.
bool compileSong(const Song& song, Generation generation, std::vector<uint8_t>& out,
                 std::vector<Diagnostic>& diagnostics);

// Things that compile but are likely mistakes: a jump past the last position, notes above the
// mixer's top rate, rows that name an instrument the song does not define.
std::vector<Diagnostic> songWarnings(const Song& song);

// The record layouts of the "V.2" generation: rearranging a current synthetic record into the
// older one (the dropped bytes come from spare) and the upgrade back.
Record toV2Layout(const Record& current, const V2Spare& spare);
Record fromV2Layout(const Record& old, V2Spare* spare);

}  // namespace song
