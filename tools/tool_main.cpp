// tarvex-tool: the game's data and simulation tools on the command line.
#include "tools/commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* usage;
};

const Command COMMANDS[] = {
    {"playfield", runPlayfieldCommand, "playfield FILE"},
    {"simulate", runSimulateCommand,
     "simulate --playfield FILE --frames N [--keys SCRIPT] [--seed S]"},
    {"soak", runSoakCommand, "soak [--playfield FILE] [--frames N] [--seed S]"},
    {"music", runMusicCommand,
     "music render MODULE OUT.wav [--ticks N | --seconds S]\n  music info MODULE"},
    {"song", runSongCommand,
     "song compile SONG.txt OUT [--generation V.3|V.2|ZUNQ]\n  song decompile MODULE OUT.txt"},
    {"bmp", runBmpCommand, "bmp FILE OUT.ppm"},
    {"generate", runGenerateCommand, "generate sounds|bitmaps DIR"},
};

int usage() {
    std::fprintf(stderr, "usage: tarvex-tool COMMAND ...\n");
    for (const Command& command : COMMANDS) std::fprintf(stderr, "  %s\n", command.usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    for (const Command& command : COMMANDS)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    return usage();
}
