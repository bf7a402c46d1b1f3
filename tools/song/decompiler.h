// Reads the bytes of a music module of any generation back into a Song, so that compiling the
// song for the same generation gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/song/song.h"

namespace song {

// False with a reason when the bytes are not a module or its sections do not fit the file.
bool decompileModule(const std::vector<uint8_t>& bytes, Song& song, std::string& error);

}  // namespace song
