#include "tools/commands.h"

#include <cstdio>

int runPlayfieldCommand(int, char**) {
    std::fprintf(stderr, "not built yet\n");
    return 2;
}
