// generate sounds|bitmaps DIR: writes the game's synthesised data files into DIR.
#include "tools/commands.h"
#include "tools/generators.h"

#include <cstdio>
#include <cstring>

int runGenerateCommand(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[0], "sounds") == 0) return generateSounds(argv[1]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[0], "bitmaps") == 0) return generateBitmaps(argv[1]) ? 0 : 1;
    std::fprintf(stderr, "usage: tarvex-tool generate sounds|bitmaps DIR\n");
    return 2;
}
