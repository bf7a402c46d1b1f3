// What the game is started with: who plays each tank, a replay to show instead of the title, or
// an online game to host or join.
#pragma once

#include <cstdint>
#include <string>

constexpr int PERSON = 0;          // a player level: the keys and pads play the tank
constexpr int HARDEST_LEVEL = 3;   // computer levels run 1..HARDEST_LEVEL

enum class OnlineStart { None, Host, Join };

struct LaunchOptions {
    int playerLevels[2] = {PERSON, PERSON};
    std::string replayFile;  // empty: none
    OnlineStart online = OnlineStart::None;
    uint16_t hostPort = 0;    // Host: the port to listen on (0: the game's default port)
    std::string joinAddress;  // Join: ADDRESS[:PORT] as given, resolved when the window is open
};

// Reads --player1 LEVEL, --player2 LEVEL (person, 1, 2 or 3), --replay FILE, --host [PORT] (a
// port from 1 to 65535 as a word of its own, or none) and --join ADDRESS[:PORT] (one of --host and
// --join, and neither with --replay). False with the problem in words for anything else.
bool readCommandLine(int argc, const char* const* argv, LaunchOptions& options, std::string& problem);
// The next level in the F5/F6 cycle: person, 1, 2, 3, person.
int nextPlayerLevel(int level);
