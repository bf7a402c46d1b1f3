// The song text format (docs/song-format.md): reading it into a Song with line-numbered
// diagnostics, and writing a Song back as text.
#pragma once

#include <string>
#include <vector>

#include "tools/song/song.h"

namespace song {

// Reads song text. WAV paths are taken relative to baseDir. Returns false, with every problem
// found in diagnostics, when the text has mistakes; the song is then incomplete.
bool readSongText(const std::string& text, const std::string& baseDir, Song& song,
                  std::vector<Diagnostic>& diagnostics);

// Writes the song as text that readSongText reads back to the same song.
std::string writeSongText(const Song& song);

// Note names: note 1 is C-1, note 48 is B-4; 0 is "---". Other values have no name.
std::string noteName(int note);
bool noteFromName(const std::string& name, int& note);

}  // namespace song
