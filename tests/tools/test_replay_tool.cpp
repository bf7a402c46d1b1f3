// `tarvex-tool replay info FILE`: what a recording holds, or why the file is not one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/replay.h"
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
    EXPECT_EQ(out["variant"].text, "steerable");
    EXPECT_EQ(out["recorded"].text, "2026-12-07T20:31:05Z");
    EXPECT_EQ(out["walls"].integer(), 3);
    EXPECT_EQ(out["frames"].integer(), 250);
    EXPECT_EQ(out["seconds"].num(), 2.5);
    EXPECT_EQ(out["hashes"].integer(), 2);
    EXPECT_EQ(out["startStateBytes"].integer(), 40);
    EXPECT_EQ(out["controlChanges"][0].integer(), 4);  // on and off twice
    EXPECT_EQ(out["controlChanges"][1].integer(), 2);
    EXPECT_TRUE(out["playsHere"].boolean);

    bytes[bytes.size() / 2] ^= 1;
    const std::string damaged = writeFile("damaged.tvreplay", std::string(bytes.begin(), bytes.end()));
    const ToolRun refused = runTool({"replay", "info", damaged});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, damaged + ": " + replayProblemText(ReplayProblem::Damaged) + "\n");
}

}  // namespace
