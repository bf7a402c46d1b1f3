// Where recorded matches are kept: one file per match in the user's data folder, named by its
// recording time so that the newest sorts last. After each write the folder keeps only the most
// recent recordings; files the player moves into the "kept" folder beside them, or renames, are
// never deleted.
#pragma once

#include <cstdint>
#include <string>

#include "game/replay.h"

constexpr const char* REPLAY_EXTENSION = ".tvreplay";
constexpr const char* KEPT_REPLAYS_FOLDER = "kept";
constexpr int RECENT_REPLAYS = 50;  // recordings left in the folder after a write

// platform::userDataFolder() + "tarvex/replays/"; empty when the user has no data folder.
std::string replayFolder();

// The name a recording made at recordedAt gets, its UTC time: "2026-12-07_20-31-05.tvreplay";
// the second (counter 2..99) and later recordings of the same second get "_02" ... "_99" before
// the extension.
std::string replayFileName(int64_t recordedAt, int counter = 1);
// Whether name is one that replayFileName gives: only those count as recent and get deleted.
bool isRecordingName(const std::string& name);

// Writes the replay into the replay folder (made when missing) under a temporary name, then
// gives it its own name (never one that another copy of the game took meanwhile) and deletes all
// but the RECENT_REPLAYS newest recordings. Returns
// the file's path; on any failure (no folder, a full disk, an unwritable folder) prints one line
// on standard error and returns an empty text. Never throws.
std::string writeReplayFile(const Replay& replay);

// The path of the newest recording in the replay folder; empty when there is none.
std::string newestReplayFile();

// Reads and decodes a replay file through the door for users' files: a folder, a pipe or a file
// above MAX_REPLAY_FILE_BYTES is refused before it is read.
ReplayProblem readReplayFile(const std::string& path, Replay& out);
