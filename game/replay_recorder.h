// Recording the matches a game plays (one replay per match, from the frame that started it to the
// frame that ended it) and playing a replay back on a game of its own.
#pragma once

#include <cstdint>

#include "game/frame_input.h"
#include "game/game.h"
#include "game/replay.h"
#include "game/state_bytes.h"

struct ReplayRecorder {
    bool recording = false;
    uint8_t before[STATE_BYTES] = {};  // the state the frame being run started from
    Replay replay;                     // the match being recorded, or the one just finished
};

// Before each frame: keeps the state it starts from, in case a match starts in it.
void recordBeforeFrame(ReplayRecorder& recorder, const GameState& game);
// After each frame with the frame's input: a match that started begins a replay, a recorded one
// takes the input (and the state's hash every REPLAY_HASH_INTERVAL frames). True when the match
// ended in this frame (left, lost, or at the longest replay): recorder.replay is then complete.
bool recordAfterFrame(ReplayRecorder& recorder, const GameState& game, const FrameInput& input,
                      int64_t now);
// Ends a recording under way (the game quits during a match); true when there was one.
bool finishRecording(ReplayRecorder& recorder);

// A replay being played: its own game, begun from the replay's arena and start state.
struct ReplayPlayback {
    Replay replay;
    GameState game{};
    uint32_t next = 0;  // the next frame to run
};

// Sets the playback up; false (and nothing to release) when the start state does not restore.
bool startPlayback(ReplayPlayback& playback, Replay&& replay);
bool playbackDone(const ReplayPlayback& playback);
// Runs the next recorded frame.
FrameResult playbackFrame(ReplayPlayback& playback);
void stopPlayback(ReplayPlayback& playback);  // releases the playback's arena
// Runs the whole replay and checks every stored hash: -1 when all agree, otherwise the first
// frame whose hash differs (or 0 when the start state does not restore).
int64_t firstDifferingFrame(const Replay& replay);
