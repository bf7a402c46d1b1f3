// One frame of the game without drawing, in the order the app's frame runs it: the hit
// countdown step (run by the frame's first scene draw), then the frame's rules, then its end.
#pragma once

#include "game/frame_rules.h"
#include "game/game.h"

inline FrameBranch runGameFrame() {
    if (hitCountdown >= 0) hitCountdownStep();
    const FrameBranch branch = runFrameRules();
    endFrame();
    return branch;
}
