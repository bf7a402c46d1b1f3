// The one frame of the game: everything that advances it goes through advanceFrame, in the app,
// the tools and the tests alike. Drawing, the title screen, the music and the sounds are the
// caller's, from what the frame returns.
#pragma once

#include "game/frame_input.h"
#include "game/game.h"

// One frame: the keys' presses are latched, the hit countdown steps while a hit is shown, then the
// pause keys; during a countdown nothing more; otherwise F1/F2/F3, Escape (also in a paused
// match) and the match update (unless paused), else the title screen; finally the frame's end.
FrameResult advanceFrame(GameState& game, const FrameInput& input);

// The frame's end: frameTime advances by 0.01 (not while paused: the picture stays), and sheds
// whole orbits after some hours.
void endFrame(GameState& game);
