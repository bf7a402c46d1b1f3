#include "tools/commands.h"

#include <cstdio>

int runSimulateCommand(int, char**) {
    std::fprintf(stderr, "not built yet\n");
    return 2;
}
