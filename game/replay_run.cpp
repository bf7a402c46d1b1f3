#include "game/replay_run.h"

#include <algorithm>
#include <new>

#include "game/frame_rules.h"
#include "game/state_bytes.h"

void beginRecording(Replay& replay, const GameState& game, int64_t recordedAt) {
    replay = Replay{};
    replay.variant = uint8_t(game.gameMode);
    replay.recordedAt = recordedAt;
    replay.walls.assign(game.playfield.blocks, game.playfield.blocks + game.playfield.blockCount);
    replay.startState.resize(STATE_BYTES);
    saveState(game, replay.startState.data());
}

bool recordFrame(Replay& replay, const FrameInput& input, const GameState& game) {
    if (replay.frames.size() >= MAX_REPLAY_FRAMES) return false;
    replay.frames.push_back(input);
    if (replay.frames.size() % REPLAY_HASH_INTERVAL == 0) replay.hashes.push_back(hashState(game));
    return true;
}

bool startReplay(GameState& game, const Replay& replay) {
    GameState started = game;
    if (!restoreState(started, replay.startState.data(), replay.startState.size())) return false;
    PlayfieldBlock* blocks = nullptr;
    if (!replay.walls.empty()) {
        blocks = new (std::nothrow) PlayfieldBlock[replay.walls.size()];
        if (blocks == nullptr) return false;
        std::copy(replay.walls.begin(), replay.walls.end(), blocks);
    }
    releasePlayfield(started.playfield);
    started.playfield.blocks = blocks;
    started.playfield.blockCount = int32_t(replay.walls.size());
    game = started;
    return true;
}

ReplayCheck checkReplay(const Replay& replay) {
    ReplayCheck check;
    GameState game{};
    resetGameState(game);
    check.started = startReplay(game, replay);
    if (!check.started) return check;
    for (size_t frame = 0; frame < replay.frames.size(); ++frame) {
        advanceFrame(game, replay.frames[frame]);
        const size_t hash = (frame + 1) / REPLAY_HASH_INTERVAL - 1;
        if ((frame + 1) % REPLAY_HASH_INTERVAL != 0 || hash >= replay.hashes.size()) continue;
        if (hashState(game) != replay.hashes[hash]) {
            check.differsAfterFrame = int64_t(frame);
            break;
        }
        ++check.hashesMatched;
    }
    releasePlayfield(game.playfield);
    return check;
}
