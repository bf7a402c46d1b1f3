#include "game/replay_recorder.h"

#include <new>
#include <utility>

#include "game/frame_rules.h"

void recordBeforeFrame(ReplayRecorder& recorder, const GameState& game) {
    if (!recorder.recording) saveState(game, recorder.before);
}

bool recordAfterFrame(ReplayRecorder& recorder, const GameState& game, const FrameInput& input,
                      int64_t now) {
    Replay& replay = recorder.replay;
    if (!recorder.recording) {
        if (!game.matchRunning) return false;
        recorder.recording = true;
        replay = Replay{};
        replay.variant = static_cast<uint8_t>(game.gameMode);
        replay.recordedAt = now;
        replay.walls.assign(game.playfield.blocks, game.playfield.blocks + game.playfield.blockCount);
        replay.startState.assign(recorder.before, recorder.before + STATE_BYTES);
    }
    replay.frames.push_back(input);
    if (replay.frames.size() % REPLAY_HASH_INTERVAL == 0) replay.hashes.push_back(hashState(game));
    const bool over = !game.matchRunning && game.hitCountdown < 0;
    if (!over && replay.frames.size() < MAX_REPLAY_FRAMES) return false;
    recorder.recording = false;
    return true;
}

bool finishRecording(ReplayRecorder& recorder) {
    const bool was = recorder.recording;
    recorder.recording = false;
    return was;
}

bool startPlayback(ReplayPlayback& playback, Replay&& replay) {
    playback.replay = std::move(replay);
    playback.next = 0;
    resetGameState(playback.game);
    const std::vector<uint8_t>& start = playback.replay.startState;
    if (!restoreState(playback.game, start.data(), start.size())) return false;
    const std::vector<PlayfieldBlock>& walls = playback.replay.walls;
    if (!walls.empty()) {
        PlayfieldBlock* blocks = new (std::nothrow) PlayfieldBlock[walls.size()];
        if (!blocks) return false;
        std::copy(walls.begin(), walls.end(), blocks);
        playback.game.playfield.blocks = blocks;
        playback.game.playfield.blockCount = static_cast<int32_t>(walls.size());
    }
    return true;
}

bool playbackDone(const ReplayPlayback& playback) { return playback.next >= playback.replay.frames.size(); }

FrameResult playbackFrame(ReplayPlayback& playback) {
    if (playbackDone(playback)) return FrameResult{};
    return advanceFrame(playback.game, playback.replay.frames[playback.next++]);
}

void stopPlayback(ReplayPlayback& playback) { releaseGame(playback.game); }

int64_t firstDifferingFrame(const Replay& replay) {
    ReplayPlayback playback;
    if (!startPlayback(playback, Replay(replay))) return 0;
    int64_t differs = -1;
    while (!playbackDone(playback) && differs < 0) {
        playbackFrame(playback);
        const uint32_t ran = playback.next;
        if (ran % REPLAY_HASH_INTERVAL != 0) continue;
        const size_t k = ran / REPLAY_HASH_INTERVAL - 1;
        if (k < replay.hashes.size() && replay.hashes[k] != hashState(playback.game)) differs = ran - 1;
    }
    stopPlayback(playback);
    return differs;
}
