// `tarvex-tool replay info FILE`: what a recording holds, or why the file is not one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/frame_rules.h"
#include "game/replay.h"
#include "game/replay_recorder.h"
#include "tests/tools/tool_runner.h"

namespace {

TEST(ReplayTool, DescribesARecordingAndRefusesADamagedOne) {
    Replay replay;
    replay.variant = Steerable;
    replay.recordedAt = 1796675465;
    replay.walls.assign(3, PlayfieldBlock{0, 0, 1, 1, 1, 1, 1});
    replay.startState.assign(40, 7);
    FrameInput input{};
    replay.frames.assign(250, input);
    // Player 0 drives for a frame and fires for a frame, player 1 turns for a frame.
    replay.frames[10].controls[0] = Forward;
    replay.frames[20].controls[0] = FireHeld | FirePressed;
    replay.frames[30].controls[1] = HullLeft;
    replay.hashes = {1, 2};
    std::vector<uint8_t> bytes = encodeReplay(replay);
    const std::string path = writeFile("match.tvreplay", std::string(bytes.begin(), bytes.end()));

    const ToolRun run = runTool({"replay", "info", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 1u) << run.out;
    const Json& out = run.lines[0];
    EXPECT_EQ(out["variant"].get<std::string>(), "steerable");
    EXPECT_EQ(out["recorded"].get<std::string>(), "2026-12-07T20:31:05Z");
    EXPECT_EQ(out["walls"].get<long long>(), 3);
    EXPECT_EQ(out["frames"].get<long long>(), 250);
    EXPECT_EQ(out["seconds"].get<double>(), 2.5);
    EXPECT_EQ(out["hashes"].get<long long>(), 2);
    EXPECT_EQ(out["startStateBytes"].get<long long>(), 40);
    EXPECT_EQ(out["controlChanges"][0].get<long long>(), 4);  // on and off twice
    EXPECT_EQ(out["controlChanges"][1].get<long long>(), 2);
    EXPECT_TRUE(out["playsHere"].get<bool>());

    bytes[bytes.size() / 2] ^= 1;
    const std::string damaged = writeFile("damaged.tvreplay", std::string(bytes.begin(), bytes.end()));
    const ToolRun refused = runTool({"replay", "info", damaged});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, damaged + ": " + replayProblemText(ReplayProblem::Damaged) + "\n");
}

TEST(ReplayTool, VerifiesARecordedMatchAndNamesWhereAnotherWentAnotherWay) {
    GameState game{};
    resetGameState(game);
    initGame(game, "data/playfield.txt", 77);
    ReplayRecorder recorder;
    for (int f = 0; f < 400; ++f) {  // a match from F2 to Escape at frame 350: 351 frames
        FrameInput input{};
        input.gameKeys = f == 0 ? StartBouncingKey : f == 350 ? LeaveHeld | LeavePressed : 0;
        input.controls[0] = f % 40 < 20 ? Forward | FireHeld | FirePressed : HullLeft;
        recordBeforeFrame(recorder, game);
        advanceFrame(game, input);
        if (recordAfterFrame(recorder, game, input, 0)) break;
    }
    releaseGame(game);
    Replay replay = recorder.replay;
    ASSERT_EQ(replay.frames.size(), 351u);
    std::vector<uint8_t> bytes = encodeReplay(replay);
    const ToolRun run = runTool({"replay", "verify", writeFile("verified.tvreplay", std::string(bytes.begin(), bytes.end()))});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 1u) << run.out;
    EXPECT_TRUE(run.lines[0]["verified"].get<bool>());
    EXPECT_EQ(run.lines[0]["hashesMatched"].get<long long>(), 3);

    replay.hashes[1] ^= 1;
    bytes = encodeReplay(replay);
    const std::string path = writeFile("other_way.tvreplay", std::string(bytes.begin(), bytes.end()));
    const ToolRun other = runTool({"replay", "verify", path});
    EXPECT_EQ(other.exitCode, 1);
    ASSERT_EQ(other.lines.size(), 1u) << other.out;
    EXPECT_FALSE(other.lines[0]["verified"].get<bool>());
    EXPECT_EQ(other.lines[0]["differsAfterFrame"].get<long long>(), 199);
    EXPECT_NE(other.err.find(path + ": does not play the same: the state after frame 199"), std::string::npos)
        << other.err;
}

}  // namespace
