// Whole matches replayed by `tarvex-tool simulate` from key scripts.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/tool_runner.h"

namespace {

std::string emptyArena() { return writeFile("open_arena.txt", ""); }

ToolRun simulate(const std::string& script, int frames, const std::string& arena = emptyArena(),
                 const std::string& seed = "1") {
    return runTool({"simulate", "--playfield", arena, "--frames", std::to_string(frames), "--keys",
                    writeFile("keys.txt", script), "--seed", seed});
}

// Player 0 drives towards player 1 for 199 updates, then fires once.
const char* const DRIVE_AND_FIRE =
    "# drive towards the other tank, then fire\n"
    "0 down F1\n"
    "1 up F1\n"
    "1 down W\n"
    "200 up W\n"
    "\n"
    "200 down X\n";

int firstFrameWhere(const ToolRun& run, bool (*test)(const Json&)) {
    for (const Json& line : run.lines)
        if (test(line)) return line["frame"].get<int>();
    return -1;
}

TEST(Simulate, ShotHitsTheOtherTankAndTheCountdownRestartsPlay) {
    const ToolRun run = simulate(DRIVE_AND_FIRE, 600);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 600u);
    const int hit = firstFrameWhere(run, [](const Json& s) { return s["hitCountdown"].get<int>() >= 0; });
    ASSERT_GT(hit, 200);
    const Json& atHit = run.lines[hit];
    EXPECT_EQ(atHit["hitCountdown"].get<int>(), 150);
    EXPECT_EQ(atHit["hitPlayer"].get<int>(), 1);
    EXPECT_EQ(atHit["players"][1]["lives"].get<int>(), 4);
    EXPECT_EQ(atHit["players"][0]["lives"].get<int>(), 5);
    EXPECT_EQ(atHit["gameMode"].get<std::string>(), "Regular");
    // The bullet flew from the muzzle at 0.3 a step and is inside player 1's hull box.
    const Json& bullet = atHit["bullets"][0];
    EXPECT_GE(bullet["life"].get<int>(), 0);
    EXPECT_NEAR(bullet["x"].get<double>(), 37.5 - 2.3, 0.7);
    // The turret spins through the countdown; 151 frames later play restarts.
    EXPECT_FLOAT_EQ(run.lines[hit + 10]["players"][1]["turretAngle"].get<float>(), 60.0f);
    EXPECT_GE(run.lines[hit + 150]["hitCountdown"].get<int>(), 0);
    const Json& after = run.lines[hit + 151];
    EXPECT_EQ(after["hitCountdown"].get<int>(), -1);
    EXPECT_TRUE(after["matchRunning"].get<bool>());
    EXPECT_FLOAT_EQ(after["players"][0]["x"].get<float>(), -37.5f);
    EXPECT_FLOAT_EQ(after["players"][1]["turretAngle"].get<float>(), 0.0f);
    EXPECT_LT(after["bullets"][0]["life"].get<int>(), 0);
}

TEST(Simulate, SplitScreenCountdownTakes151FramesAsInOneView) {
    const ToolRun run = simulate(std::string(DRIVE_AND_FIRE) + "2 down 7\n", 600);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const int hit = firstFrameWhere(run, [](const Json& s) { return s["hitCountdown"].get<int>() >= 0; });
    ASSERT_GT(hit, 0);
    EXPECT_EQ(run.lines[hit]["viewMode"].get<int>(), 6);
    EXPECT_GE(run.lines[hit + 150]["hitCountdown"].get<int>(), 0);
    EXPECT_EQ(run.lines[hit + 151]["hitCountdown"].get<int>(), -1);
}

TEST(Simulate, MatchEndsAfterFiveHits) {
    // Player 0 keeps driving and pressing fire (like auto-repeat) until the match is over.
    std::string script = "0 down F1\n1 up F1\n1 down W\n";
    for (int f = 1; f < 4000; f += 5) script += std::to_string(f) + " down X\n";
    const ToolRun run = simulate(script, 4000);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int hits = 0, previousCountdown = -1, endFrame = -1;
    for (const Json& s : run.lines) {
        const int countdown = s["hitCountdown"].get<int>();
        if (countdown == 150 && previousCountdown != 150) {
            ++hits;
            EXPECT_EQ(s["players"][1]["lives"].get<int>(), 5 - hits);
        }
        previousCountdown = countdown;
        if (endFrame < 0 && !s["matchRunning"].get<bool>() && hits == 5 && countdown < 0)
            endFrame = s["frame"].get<int>();
    }
    EXPECT_EQ(hits, 5);
    ASSERT_GT(endFrame, 0);
    const Json& last = run.lines.back();
    EXPECT_FALSE(last["matchRunning"].get<bool>());
    EXPECT_EQ(last["players"][1]["lives"].get<int>(), 0);
    EXPECT_EQ(last["players"][0]["lives"].get<int>(), 5);
    // Back on the title screen the tanks stand at their start places.
    EXPECT_FLOAT_EQ(last["players"][0]["x"].get<float>(), -37.5f);
    EXPECT_FLOAT_EQ(last["players"][1]["x"].get<float>(), 37.5f);
}

TEST(Simulate, EscapeFreezesTheField) {
    const std::string script =
        "0 down F2\n1 up F2\n1 down W\n1 down KP4\n5 down X\n40 down ESC\n41 up ESC\n";
    const ToolRun run = simulate(script, 120);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 120u);
    EXPECT_TRUE(run.lines[39]["matchRunning"].get<bool>());
    EXPECT_EQ(run.lines[39]["gameMode"].get<std::string>(), "Bouncing");
    EXPECT_FALSE(run.lines[40]["matchRunning"].get<bool>());
    for (const char* field : {"players", "bullets", "powerup"}) {
        Json a = run.lines[39][field], b = run.lines[119][field];
        EXPECT_EQ(a.size(), b.size());
    }
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(run.lines[39]["players"][p]["x"].get<double>(), run.lines[119]["players"][p]["x"].get<double>());
        EXPECT_EQ(run.lines[39]["players"][p]["heading"].get<double>(),
                  run.lines[119]["players"][p]["heading"].get<double>());
    }
    EXPECT_EQ(run.lines[39]["bullets"][0]["x"].get<double>(), run.lines[119]["bullets"][0]["x"].get<double>());
    EXPECT_EQ(run.lines[39]["bullets"][0]["life"].get<int>(), run.lines[119]["bullets"][0]["life"].get<int>());
    EXPECT_EQ(run.lines[39]["spawnTimer"].get<int>(), run.lines[119]["spawnTimer"].get<int>());
    EXPECT_NE(run.lines[39]["players"][0]["x"].get<double>(), -37.5);
}

TEST(Simulate, SameSeedGivesTheSameMatch) {
    const std::string script = "0 down F3\n1 down D\n1 down KP8\n";
    const ToolRun a = simulate(script, 700, emptyArena(), "77");
    const ToolRun b = simulate(script, 700, emptyArena(), "77");
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    // The first powerup lies on the field 300 updates after the start.
    EXPECT_EQ(a.lines[298]["powerup"]["life"].get<int>(), 0);
    EXPECT_EQ(a.lines[299]["powerup"]["life"].get<int>(), 800);
}

TEST(Simulate, PAndPauseStopTheMatchUntilPressedAgain) {
    const ToolRun run = simulate("0 down F1\n1 up F1\n1 down W\n20 down P\n21 up P\n40 down P\n41 up P\n"
                                 "60 down Pause\n61 up Pause\n80 down PAUSE\n81 up PAUSE\n",
                                 100);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto x = [&run](int frame) { return run.lines[frame]["players"][0]["x"].get<double>(); };
    for (const int pressed : {20, 60}) {
        for (int frame = pressed; frame < pressed + 20; ++frame) EXPECT_EQ(x(frame), x(pressed - 1)) << frame;
        EXPECT_GT(x(pressed + 20), x(pressed - 1)) << "driving on after frame " << pressed + 20;
    }
}

TEST(Simulate, F12EndsTheRunLikeAQuit) {
    const ToolRun run = simulate("0 down F1\n10 down F12\n", 50);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines.size(), 10u);
}

TEST(Simulate, BadScriptLinesAreReportedWithTheirNumber) {
    for (const char* bad : {"0 down F1\n\n5 down FOO\n", "0 down F1\n# ok\nx down W\n",
                            "0 down F1\n1 up W\n7 sideways W\n", "0 down F1\n1 up W\n7 down W extra\n",
                            "0 down F1\n1 up W\n-3 down W\n"}) {
        const ToolRun run = simulate(bad, 10);
        EXPECT_EQ(run.exitCode, 2) << bad;
        EXPECT_NE(run.err.find(":3:"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(Simulate, MissingOptionsAreUsageErrors) {
    EXPECT_EQ(runTool({"simulate", "--frames", "3"}).exitCode, 2);
    EXPECT_EQ(runTool({"simulate", "--playfield", emptyArena()}).exitCode, 2);
    EXPECT_EQ(runTool({"simulate", "--playfield", emptyArena(), "--frames", "-1"}).exitCode, 2);
    EXPECT_EQ(runTool({"simulate", "--playfield", emptyArena(), "--frames", "2", "--bogus", "1"}).exitCode, 2);
    const ToolRun ok = runTool({"simulate", "--playfield", emptyArena(), "--frames", "2"});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.lines.size(), 2u);
}

}  // namespace
