#include "tools/commands.h"

#include <cstdio>

int runSongCommand(int, char**) {
    std::fprintf(stderr, "not built yet\n");
    return 2;
}
