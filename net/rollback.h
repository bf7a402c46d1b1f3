// One online match on one side: both sides run the whole game. The local side's input of each
// frame applies inputDelay frames later; the other side's input is predicted until it arrives, and
// when it arrives and differs, the game goes back to the state saved before that frame and runs
// forward again to the present. Beside the game shown runs the confirmed game, which advances
// only over frames whose input both sides have: it is what the sides hash and compare, what a
// replay records and what the match's end is read from.
#pragma once

#include <cstdint>
#include <functional>

#include "game/frame_input.h"
#include "game/game.h"
#include "game/state_bytes.h"
#include "net/packet.h"

constexpr int DEFAULT_INPUT_DELAY = 2;
constexpr int MAX_INPUT_DELAY = 4;
// The most frames the game runs on predictions; beyond them it waits for the other side.
constexpr int PREDICTION_WINDOW = 14;
// The confirmed game's hash is taken at the start of every frame that is a multiple of this.
constexpr int32_t HASH_INTERVAL = 50;
// Inputs are kept this many frames back (a resync from the host reruns from its frame).
constexpr int32_t INPUT_HISTORY = 1024;
constexpr int32_t STATE_HISTORY = 32;  // saved states before the latest frames
constexpr int32_t CHECKPOINTS = 16;    // confirmed hashes (and states) kept

enum Side : int { HostSide = 0, JoinerSide = 1 };

// A frame's input for the rules from the two sides' inputs. The host's tank is player 1 (index 0)
// and the joiner's player 2; only the host starts matches and gives the mouse step; either side
// can leave the match or pause it.
FrameInput mergeSides(const SideInput& host, const SideInput& joiner, uint32_t clock);
// The clock of frame f of a match whose host started it at clockBase.
uint32_t matchClock(uint32_t clockBase, int32_t frame);
// What a side is guessed to do next: what it did last, held keys held on, no new presses.
SideInput predictNext(const SideInput& last);

struct Checkpoint {
    int32_t frame = -1;  // -1: empty
    uint64_t hash = 0;
    uint8_t state[STATE_BYTES] = {};
};

// Rollbacks are counted by depth up to this many frames (deeper ones in the last count).
constexpr int ROLLBACK_DEPTHS = PREDICTION_WINDOW + MAX_INPUT_DELAY + 2;

// Counts for the session's summary.
struct RollbackStats {
    int64_t framesRun = 0;      // present frames advanced
    int64_t rollbacks = 0;
    int64_t depthCount[ROLLBACK_DEPTHS] = {};  // rollbacks by frames rerun
    int64_t deepestMicros = 0;  // the costliest rollback's time
    int32_t deepest = 0;
};

class Rollback {
public:
    // Begins a match on the live game from the state before frame 0. The live game's arena is the
    // match's; the confirmed game shares it. Frame 0 takes the host's start input; the other
    // frames before inputDelay take no controls. False, with nothing begun, for a state that does
    // not restore.
    bool start(GameState& live, const uint8_t startState[STATE_BYTES], Side side, int inputDelay,
               const SideInput& hostStart, uint32_t clockBase);
    void stop() { live_ = nullptr; }
    bool running() const { return live_ != nullptr; }
    Side side() const { return side_; }
    int inputDelay() const { return delay_; }

    int32_t presentFrame() const { return present_; }  // the next frame to run
    int32_t localKnown() const { return known_[side_]; }
    int32_t remoteKnown() const { return known_[1 - side_]; }
    // The local input of a frame within the history (for sending).
    SideInput localInput(int32_t frame) const { return input(side_, frame); }

    // The local input for the present frame: it applies inputDelay frames on.
    void addLocalInput(const SideInput& input);
    // Another frame of the remote side's input; frames must come in order (earlier ones are
    // ignored, later ones refused: false).
    bool addRemoteInput(int32_t frame, const SideInput& input);

    // The prediction window is used up: the present frame must wait for the other side.
    bool mustWait() const { return present_ - remoteKnown() > PREDICTION_WINDOW; }
    // Goes back and forward again when a prediction proved wrong, then runs the present frame;
    // returns the present frame's result (a frame run again gives no result, so no sound twice).
    FrameResult advance();

    const GameState& confirmedGame() const { return confirmed_; }
    int32_t confirmedFrame() const { return confirmedFrame_; }  // the next frame to confirm
    // The confirmed game left the match (lost, or Escape) before frame matchEnd().
    bool matchOver() const { return matchEnd_ >= 0; }
    int32_t matchEnd() const { return matchEnd_; }

    const Checkpoint* latestCheckpoint() const;
    const Checkpoint* checkpointAt(int32_t frame) const;
    // Takes the host's state from before frame (a checkpoint) as the truth: the confirmed game
    // runs on from it to where it was, and the game shown goes back to it. False when the frame is
    // not one this side can run on from.
    bool resync(int32_t frame, const uint8_t state[STATE_BYTES]);

    const RollbackStats& stats() const { return stats_; }

    // Called around every confirmed frame (the replay recorder listens).
    std::function<void(const GameState& before)> beforeConfirmedFrame;
    std::function<void(const GameState& after, const FrameInput& input)> afterConfirmedFrame;

private:
    SideInput input(int s, int32_t frame) const { return inputs_[s][frame % INPUT_HISTORY]; }
    FrameInput frameInput(int32_t frame);  // true where known, predicted elsewhere (remembered)
    FrameResult runFrame(int32_t frame);
    void confirmFrames();
    void checkpoint();

    GameState* live_ = nullptr;
    GameState confirmed_{};
    Side side_ = HostSide;
    int delay_ = DEFAULT_INPUT_DELAY;
    uint32_t clockBase_ = 0;
    int32_t present_ = 0;
    int32_t known_[2] = {-1, -1};          // the last frame of each side's input that is known
    int32_t firstWrong_ = -1;              // the earliest frame run on a wrong prediction
    int32_t confirmedFrame_ = 0;
    int32_t matchEnd_ = -1;
    SideInput inputs_[2][INPUT_HISTORY] = {};
    SideInput used_[INPUT_HISTORY] = {};   // the remote input each frame ran with
    uint8_t states_[STATE_HISTORY][STATE_BYTES] = {};
    Checkpoint checkpoints_[CHECKPOINTS];
    RollbackStats stats_;
};
