// Recording matches and playing them back: a recorded match replays to the same hashes, also
// through its file bytes, and a changed input is found at the first frame whose hash it moves.
#include <random>

#include "game/replay_recorder.h"
#include "tests/game/game_fixture.h"

namespace {

class ReplayRecording : public GameTest {
protected:
    ReplayRecorder recorder;
    // Frames of random controls from the title screen until the recorder has a whole match
    // (started with startKeys, left with Escape after some frames), or frames run out.
    bool recordMatch(uint32_t seed, GameKeys startKeys, int leaveAfter) {
        std::mt19937 random(seed);
        for (int frame = 0; frame < 200000; ++frame) {
            FrameInput input{};
            for (int p = 0; p < 2; ++p) input.controls[p] = static_cast<Controls>(random() & random());
            input.gameKeys = frame == 3 ? startKeys : frame == leaveAfter ? (LeaveHeld | LeavePressed) : 0;
            input.clock = 500 + frame / 100;
            recordBeforeFrame(recorder, game);
            advanceFrame(game, input);
            if (recordAfterFrame(recorder, game, input, 1765000000)) return true;
        }
        return false;
    }
};

TEST_F(ReplayRecording, RecordedMatchesReplayToTheirHashes) {
    setBlocks({block(-5, -20, 5, -8), block(-5, 8, 5, 20)});
    struct Case { GameKeys start; int leaveAfter; };
    for (const Case& c : {Case{StartRegularKey, 3000}, Case{StartBouncingKey, 20000}, Case{StartSteerableKey, 1234}}) {
        SCOPED_TRACE(c.leaveAfter);
        ASSERT_TRUE(recordMatch(99 + c.leaveAfter, c.start, c.leaveAfter));
        Replay replay = recorder.replay;
        EXPECT_EQ(replay.walls.size(), 2u);
        EXPECT_EQ(replay.hashes.size(), replay.frames.size() / REPLAY_HASH_INTERVAL);
        EXPECT_EQ(firstDifferingFrame(replay), -1);
        // Through the file's bytes, as another machine would read it.
        const std::vector<uint8_t> bytes = encodeReplay(replay);
        Replay decoded;
        ASSERT_EQ(decodeReplay(bytes.data(), bytes.size(), decoded), ReplayProblem::None);
        EXPECT_EQ(firstDifferingFrame(decoded), -1);
        // A fire press that did not happen changes the match from its frame on.
        const uint32_t changed = static_cast<uint32_t>(replay.frames.size() / 2);
        replay.frames[changed].controls[0] ^= Forward | FireHeld | FirePressed;
        const int64_t differs = firstDifferingFrame(replay);
        EXPECT_GE(differs, changed);
        EXPECT_LT(differs, changed + REPLAY_HASH_INTERVAL);
        resetGameState(game);
    }
}

TEST_F(ReplayRecording, PlaybackShowsTheRecordedMatchFrameByFrame) {
    ASSERT_TRUE(recordMatch(5, StartRegularKey, 700));
    ReplayPlayback playback;
    ASSERT_TRUE(startPlayback(playback, Replay(recorder.replay)));
    int frames = 0;
    bool sawMatch = false;
    while (!playbackDone(playback)) {
        sawMatch |= playbackFrame(playback).branch == FrameBranch::Match;
        ++frames;
    }
    EXPECT_TRUE(sawMatch);
    EXPECT_EQ(frames, static_cast<int>(recorder.replay.frames.size()));
    EXPECT_EQ(hashState(playback.game), hashState(game));  // where the recorded game ended
    stopPlayback(playback);
    Replay broken = recorder.replay;
    broken.startState.pop_back();
    EXPECT_FALSE(startPlayback(playback, Replay(broken)));
    EXPECT_EQ(firstDifferingFrame(broken), 0);
}

}  // namespace
