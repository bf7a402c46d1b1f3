// Reading the music file into a parsed module, without a sound device: the music hand-off and
// tarvex-tool's data check share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "music/module.h"

struct MusicFile {
    std::unique_ptr<uint8_t[]> image;     // the whole file
    std::unique_ptr<MusicModule> module;  // built over image, so declared after it: freed first
};

// Reads and parses the music file at path. On failure shows why in an error box ("Could not open
// file", "Empty file", ..., "No ZQ module") and returns an empty MusicFile.
MusicFile readMusicFile(const char* path);
