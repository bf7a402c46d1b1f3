// tarvex-tool's command line. Each command adds its subcommand, with its arguments, to the tool;
// when the command line chooses it, the subcommand leaves in chosen the action that runs it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace CLI {
class App;
class Validator;
}  // namespace CLI

using CommandAction = std::function<int()>;  // runs the command; the process exit status

void addPlayfieldCommand(CLI::App& tool, CommandAction& chosen);  // playfield FILE
void addSimulateCommand(CLI::App& tool, CommandAction& chosen);   // simulate --playfield FILE ...
void addSoakCommand(CLI::App& tool, CommandAction& chosen);       // soak [--frames N] ...
void addDuelCommand(CLI::App& tool, CommandAction& chosen);       // duel --first A --second B ...
void addMusicCommand(CLI::App& tool, CommandAction& chosen);      // music render|info ...
void addSongCommand(CLI::App& tool, CommandAction& chosen);       // song compile|decompile ...
void addBmpCommand(CLI::App& tool, CommandAction& chosen);        // bmp FILE OUT.ppm
void addGenerateCommand(CLI::App& tool, CommandAction& chosen);   // generate sounds|bitmaps DIR
void addCheckCommand(CLI::App& tool, CommandAction& chosen);      // check [DATA_DIR]
void addReplayCommand(CLI::App& tool, CommandAction& chosen);     // replay info|verify FILE
void addNetplayCommands(CLI::App& tool, CommandAction& chosen);   // netplay, relay, netplay-bench

// Accepts a whole decimal number without sign, at most max.
CLI::Validator wholeNumber(uint64_t max);

// Parses the command line (argv[0] is the program's name) and runs the chosen command, returning
// its status. --help on the tool or on any command prints that usage to standard output: 0.
// Wrong usage prints what is wrong and the usage to standard error: 2.
int runToolCommandLine(int argc, const char* const* argv);
