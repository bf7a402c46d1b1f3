// `tarvex-tool duel`: whole matches between the computer and random controls.
#include <gtest/gtest.h>

#include "tests/tools/tool_runner.h"

namespace {

TEST(Duel, PrintsOneSummaryOfWholeMatchesWithoutStuckComputers) {
    const ToolRun run = runTool({"duel", "--first", "3", "--second", "random", "--matches", "2", "--seed", "5",
                                 "--variant", "bouncing"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 1u);
    const Json& summary = run.lines[0];
    EXPECT_EQ(summary["matches"].get<long long>(), 2);
    EXPECT_EQ(summary["firstWins"].get<long long>() + summary["secondWins"].get<long long>() + summary["unfinished"].get<long long>(), 2);
    EXPECT_EQ(summary["stuck"].get<long long>(), 0);
    EXPECT_GT(summary["meanFrames"].get<double>(), 0);
    EXPECT_GT(summary["thinkMicrosMean"].get<double>(), 0);
    EXPECT_GE(summary["thinkMicrosMax"].get<double>(), summary["thinkMicrosMean"].get<double>());
}

TEST(Duel, RefusesAnUnknownPlayerOrVariant) {
    EXPECT_EQ(runTool({"duel", "--first", "4", "--second", "1"}).exitCode, 2);
    EXPECT_EQ(runTool({"duel", "--first", "1", "--second", "1", "--variant", "sideways"}).exitCode, 2);
}

}  // namespace
