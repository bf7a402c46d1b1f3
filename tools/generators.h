// Generators of the game's own data files; each writes its files into dir and reports failures
// on standard error.
#pragma once

// The data files of game/data_files.h: ENGINE_WAVE, SHOT_WAVE and EXPLOSION_WAVE; FONT_BITMAP,
// FILLED_BITMAP and TRACK_BITMAP.
bool generateSounds(const char* dir);
bool generateBitmaps(const char* dir);
