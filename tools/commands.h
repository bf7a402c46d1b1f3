// The subcommands of tarvex-tool. Each receives the arguments after its own name and returns the
// process exit status.
#pragma once

int runPlayfieldCommand(int argc, char** argv);  // playfield FILE
int runSimulateCommand(int argc, char** argv);   // simulate --playfield FILE --frames N ...
int runMusicCommand(int argc, char** argv);      // music render|info ...
int runSongCommand(int argc, char** argv);       // song compile|decompile ...
int runBmpCommand(int argc, char** argv);        // bmp FILE OUT.ppm
int runGenerateCommand(int argc, char** argv);   // generate sounds|bitmaps DIR
