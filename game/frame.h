// The game rules of one frame, shared by the app's frame and the simulation tool so that both
// run the same code in the same order. Drawing, the title screen and the music are the caller's.
#pragma once

// The branch that a frame took after the views were drawn.
enum class FrameBranch {
    Countdown,  // a hit is being shown: neither the match nor the title screen advanced
    Match,      // a match update ran (the caller stops the title music)
    Title,      // the title screen shows (the caller draws it and starts the title music)
    Paused      // the match is paused: nothing advanced (the caller marks the picture paused)
};

// The frame's view layout: returns 1 (one full-window view) or 2 (split screen) and fills
// cameras[0] (and cameras[1] for split screen) with the camera number of each view, left first.
// The camera is viewMode during a match and the orbiting camera 1 otherwise.
int frameViews(int cameras[2]);

// After the views were drawn: the pause keys; during a hit countdown nothing more; otherwise the
// match start keys F1/F2/F3, Escape leaving the match (also a paused one), and the match update
// (unless paused) or the title screen.
FrameBranch runFrameRules();

// The end of every frame: frameTime advances by 0.01 (not while paused: the picture stays).
void endFrame();
