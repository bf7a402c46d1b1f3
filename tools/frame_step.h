// One frame of the game without drawing, in the order the app's frame runs it: the hit
// countdown step of each drawn view, then the frame's rules, then the frame's end.
#pragma once

#include "game/frame.h"
#include "game/game.h"

inline FrameBranch runGameFrame() {
    int cameras[2];
    const int views = frameViews(cameras);
    for (int v = 0; v < views; ++v)
        if (hitCountdown >= 0) hitCountdownStep();  // run by each scene draw
    const FrameBranch branch = runFrameRules();
    endFrame();
    return branch;
}
