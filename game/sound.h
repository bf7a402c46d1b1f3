// Plays the sounds a frame asked for. The player remembers whether the engine loop it started
// still plays, so that the loop is started and stopped once, not every frame.
#pragma once

#include "game/frame_input.h"

struct SoundPlayer {
    bool engineLoopPlaying = false;  // this player started the loop and nothing replaced it
};

void playFrameSounds(SoundPlayer& sound, const FrameResult& result);
