// tarvex-tool: the game's data and simulation tools on the command line.
#include "tools/commands.h"

int main(int argc, char** argv) { return runToolCommandLine(argc, argv); }
