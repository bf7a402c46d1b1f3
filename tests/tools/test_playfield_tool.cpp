// `tarvex-tool playfield FILE`: the blocks as the game reads them, and its messages.
#include <gtest/gtest.h>

#include "tests/tools/tool_runner.h"

namespace {

Json parseOutput(const ToolRun& run) {
    Json value;
    EXPECT_TRUE(parseJson(run.out, value)) << run.out;
    return value;
}

TEST(PlayfieldTool, PrintsTheShippedArena) {
    const ToolRun run = runTool({"playfield", "data/playfield.txt"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json out = parseOutput(run);
    EXPECT_TRUE(out["messages"].empty());
    const auto& blocks = out["blocks"];
    EXPECT_GE(blocks.size(), 20u);
    EXPECT_LE(blocks.size(), 40u);
    for (const Json& b : blocks) {
        EXPECT_LE(b["xMin"].get<double>(), b["xMax"].get<double>());
        EXPECT_LE(b["yMin"].get<double>(), b["yMax"].get<double>());
        EXPECT_GE(b["xMin"].get<double>(), -43.0);
        EXPECT_LE(b["yMax"].get<double>(), 32.0);
        for (const char* c : {"red", "green", "blue"}) {
            EXPECT_GE(b[c].get<double>(), 0.0);
            EXPECT_LE(b[c].get<double>(), 1.0);
        }
    }
}

TEST(PlayfieldTool, ValuesRoundTripInSinglePrecision) {
    const ToolRun run = runTool({"playfield", writeFile("one.txt", "10,20,-10,-20,300,128,-5")});
    ASSERT_EQ(run.exitCode, 0);
    const Json b = parseOutput(run)["blocks"][0];
    EXPECT_EQ(b["xMin"].get<float>(), -10 * 0.43f);
    EXPECT_EQ(b["yMax"].get<float>(), 20 * 0.32f);
    EXPECT_EQ(b["green"].get<float>(), 128 * 0.003921569f);
    EXPECT_EQ(b["blue"].get<float>(), -5 * 0.003921569f);
}

TEST(PlayfieldTool, MissingAndEmptyFiles) {
    const ToolRun missing = runTool({"playfield", "/nonexistent/arena.txt"});
    EXPECT_EQ(missing.exitCode, 1);
    const Json out = parseOutput(missing);
    ASSERT_EQ(out["messages"].size(), 1u);
    EXPECT_EQ(out["messages"][0].get<std::string>(), "Cannot open playfield file");
    EXPECT_TRUE(out["blocks"].empty());

    const ToolRun empty = runTool({"playfield", writeFile("empty.txt", "")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(parseOutput(empty)["messages"].empty());

    EXPECT_EQ(runTool({"playfield"}).exitCode, 2);
}

}  // namespace
