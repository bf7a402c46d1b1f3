// What only the one who watches chooses: the camera (keys 1-7) and, in split screen, each
// player's half (Z, keypad 1). Never part of the game state: not saved, hashed, recorded or sent.
#pragma once

#include <cstdint>

#include "game/frame_input.h"
#include "game/game.h"

struct Viewer {
    int32_t viewMode = OverviewView;             // a ViewMode; kept from match to match
    int32_t splitCamera[MAX_PLAYERS] = {};       // each player's half in split screen: 0 chase, 1 turret
};

// After a frame: a restart puts the halves back on the chase cameras, and a match update takes
// the view keys (each acts once per key-down: its KeyState entry is cleared).
void viewerAfterFrame(Viewer& viewer, const GameState& game, const FrameResult& result);

// The frame's view layout: returns 1 (one full-window view) or 2 (split screen) and fills
// cameras[0] (and cameras[1] for split screen) with the camera number of each view, left first.
// The camera is viewMode during a match and the orbiting camera 1 otherwise.
int frameViews(const GameState& game, const Viewer& viewer, int cameras[2]);
