// What the game is started with: who plays each tank, and a replay to show instead of the title.
#pragma once

#include <string>

constexpr int PERSON = 0;          // a player level: the keys and pads play the tank
constexpr int HARDEST_LEVEL = 3;   // computer levels run 1..HARDEST_LEVEL

struct LaunchOptions {
    int playerLevels[2] = {PERSON, PERSON};
    std::string replayFile;  // empty: none
};

// Reads --player1 LEVEL, --player2 LEVEL (person, 1, 2 or 3) and --replay FILE. False with the
// problem in words for anything else.
bool readCommandLine(int argc, const char* const* argv, LaunchOptions& options, std::string& problem);
// The next level in the F5/F6 cycle: person, 1, 2, 3, person.
int nextPlayerLevel(int level);
