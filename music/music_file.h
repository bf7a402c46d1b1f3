// Reading the music file into a parsed module, without a sound device: the game's music hand-off
// and tarvex-tool's data check share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "music/module.h"

// Why a music file gives no module.
enum class MusicFileProblem {
    None,
    CannotOpen,   // missing, a folder, a pipe or a device
    Empty,
    SizeUnknown,
    TooLarge,     // larger than any module the format can describe
    OutOfMemory,
    ReadShort,
    NotAModule,   // the parse refused it
};

struct MusicFile {
    MusicFileProblem problem = MusicFileProblem::None;
    std::vector<uint8_t> image;           // the whole file
    std::unique_ptr<MusicModule> module;  // built over image, so declared after it: freed first
};

// Reads and parses the music file at path; shows nothing. Unless problem is None, image and
// module are empty.
MusicFile readMusicFile(const char* path);

// The words the game's error box uses for a problem ("Could not open file", ..., "No ZQ
// module"); tarvex-tool repeats them where it reports what the game would say.
const char* musicFileProblemText(MusicFileProblem problem);
