// Recording a game into a replay, and running a replay through the rules again to check that it
// plays the same match: the same start, the same inputs, the same state hashes.
#pragma once

#include <cstdint>

#include "game/frame_input.h"
#include "game/game.h"
#include "game/replay.h"

// Starts a recording of game as it stands now: its arena, its saved state, its variant (so begin
// once the frame that started the match has run).
void beginRecording(Replay& replay, const GameState& game, int64_t recordedAt);
// Adds a frame that game has just run with input; every REPLAY_HASH_INTERVAL frames the hash of
// the state after it. Past MAX_REPLAY_FRAMES nothing more is recorded (false).
bool recordFrame(Replay& replay, const FrameInput& input, const GameState& game);

// Puts the replay's arena and start state into game (the arena is game's to release, as
// releasePlayfield does); false, with game unchanged, when the start state does not restore
// (another state layout) or memory runs out.
bool startReplay(GameState& game, const Replay& replay);

struct ReplayCheck {
    bool started = false;            // the start state restored
    uint32_t hashesMatched = 0;      // from the first, up to the first that differs
    int64_t differsAfterFrame = -1;  // the frame after which the first differing hash was taken
};
// Runs every frame of the replay from its start state and compares each stored hash.
ReplayCheck checkReplay(const Replay& replay);
