// The fixed texts about replay files, in one list so that they can be read (or translated)
// together: why a file is not a playable replay (each follows the file's name and ": "), and the
// one line a failed recording prints on standard error.
#pragma once

#include "game/replay.h"

// Indexed by ReplayProblem.
constexpr const char* ReplayProblemTexts[] = {
    "is a replay",
    "is not a replay file",
    "is a replay of another file format version (from another version of the game)",
    "is a replay of other game rules (from another version of the game): it would not play the same",
    "is cut short (it ends before the sizes in its header say)",
    "is damaged (its checksum does not match, or bytes follow its end)",
    "is too large for a replay",
    "is damaged (its fields contradict each other)",
    "cannot be read as a file (missing, a folder, or not a plain file)",
};
static_assert(sizeof(ReplayProblemTexts) / sizeof(ReplayProblemTexts[0]) ==
                  size_t(ReplayProblem::Unreadable) + 1,
              "one text per problem");

// %s: the file or folder, then the reason. The match itself is not affected.
constexpr const char* REPLAY_NOT_SAVED = "TARVEX 3D: the replay was not saved: %s: %s\n";
constexpr const char* REPLAY_TOO_LONG = "the match is longer than a replay can hold";
constexpr const char* REPLAY_SECOND_FULL = "too many replays recorded in the same second";
constexpr const char* REPLAY_WRITE_FAILED = "cannot be written (is the disk full?)";
constexpr const char* REPLAY_NO_FOLDER = "no user data folder (neither XDG_DATA_HOME nor HOME, or APPDATA, is set)";
