// The fixed texts the application shell shows: every message box text of the GL window and the
// music hand-off, and its one warning on standard error, in one list so that they can be read (or
// translated) together. Errors carry the caption platform::ERROR_CAPTION. Why the music file
// cannot be read is said in the reader's words (musicFileProblemText in music/music_file.h).
#pragma once

#include "platform/frame_tick.h"

constexpr const char* FULL_SCREEN_CAPTION = "Open GL";
constexpr const char* FULL_SCREEN_QUESTION =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
constexpr const char* PROGRAM_WILL_CLOSE = "Program Will Now Close.";
constexpr const char* WINDOW_CREATION_FAILED = "Window Creation Error.";
constexpr const char* GL_CONTEXT_FAILED = "Can't Create A GL Rendering Context.";
constexpr const char* GL_INIT_FAILED = "Initialization Failed.";
constexpr const char* MUSIC_NO_SOUND_OUTPUT = "Direct-X error";
// On standard error when the buffer swap keeps holding frames up (%.1f: the swap's milliseconds).
constexpr const char* SLOW_SWAP_WARNING =
    "TARVEX 3D: swapping the buffers keeps taking longer than a frame (%.1f ms; a frame is 10 ms),\n"
    "so the game runs slower than it should. Either the display makes every frame wait for its\n"
    "refresh (switch vertical sync off for the game; with Mesa: vblank_mode=0), or drawing is too\n"
    "slow for this window size.\n";
static_assert(platform::FRAME_PERIOD_MS == 10, "SLOW_SWAP_WARNING names the frame's length");
// On standard error when the command line cannot be read (%s: what is wrong), then status 2.
constexpr const char* COMMAND_LINE_PROBLEM =
    "tarvex: %s\n"
    "usage: tarvex [--player1 person|1|2|3] [--player2 person|1|2|3] [--replay FILE]\n"
    "              [--host [PORT] | --join ADDRESS[:PORT]]\n";
