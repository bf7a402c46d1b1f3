#include "tools/commands.h"

#include <cstdio>

int runMusicCommand(int, char**) {
    std::fprintf(stderr, "not built yet\n");
    return 2;
}
