// Where the game's files are read from: the "data" folder of the working directory, or, when
// there is none, the folder an installation put them in beside the executable.
#pragma once

#include <string>

// The files, by name within the data folder.
constexpr const char* PLAYFIELD_FILE = "playfield.txt";
constexpr const char* FONT_BITMAP = "hetfont.bmp";
constexpr const char* FILLED_BITMAP = "Filled.bmp";
constexpr const char* TRACK_BITMAP = "track.bmp";
constexpr const char* MUSIC_FILE = "music";
constexpr const char* ENGINE_WAVE = "TankDrive.wav";
constexpr const char* SHOT_WAVE = "TankShoot.wav";
constexpr const char* EXPLOSION_WAVE = "TankExplosion.wav";

// The installed folder relative to the folder of the executable (<prefix>/bin/).
constexpr const char* INSTALLED_DATA_FOLDER = "../share/tarvex/";

// "data/" when the working directory has a data folder; otherwise the installed folder beside
// executableFolder (which ends in '/') when that exists; otherwise "data/" again, so that the
// messages about missing files name the folder a player would look for.
std::string chooseDataFolder(const std::string& executableFolder);

// The folder every read goes to, ending in '/'; "data/" until start-up sets another.
void setDataFolder(const std::string& folder);
const std::string& dataFolder();
std::string dataFile(const char* name);  // dataFolder() + name
