// Match flow through the frame: starting, leaving, view keys, the hit countdown.
#include <cmath>

#include "game/frame_rules.h"
#include "platform/keys.h"
#include "tests/game/game_fixture.h"

namespace {

class MatchFlow : public GameTest {
protected:
    // Puts player 1's tank onto player 0's live bullet so the next update hits it.
    void hitPlayerOneNextUpdate() {
        bullets[0] = {0, 0, 0.3f, 0, 0, 100};
        players[1].x = 0;
        players[1].y = 0;
    }
};

TEST_F(MatchFlow, FirstHeldStartKeyWinsAndStaysSet) {
    press(vk::F1);
    press(vk::F3);
    EXPECT_EQ(runFrame().branch, FrameBranch::Match);
    EXPECT_TRUE(matchRunning);
    EXPECT_EQ(gameMode, Regular);
    EXPECT_EQ(KeyState[vk::F1], 1);
    EXPECT_EQ(KeyState[vk::F3], 1);
    // Held start keys do nothing more while the match runs.
    players[0].lives = 3;
    runFrame().branch;
    EXPECT_EQ(players[0].lives, 3);
}

TEST_F(MatchFlow, EachStartKeyPicksItsVariantWithFreshLives) {
    const int keys[3] = {vk::F1, vk::F2, vk::F3};
    const GameMode modes[3] = {Regular, Bouncing, Steerable};
    for (int k = 0; k < 3; ++k) {
        matchRunning = false;
        players[0].lives = 1;
        players[1].x = 5;
        startMatch(keys[k]);
        EXPECT_EQ(gameMode, modes[k]);
        EXPECT_EQ(players[0].lives, 5);
        EXPECT_FLOAT_EQ(players[1].x, 37.5f);
    }
}

TEST_F(MatchFlow, EscapeLeavesTheMatchAndFreezesTheField) {
    startMatch();
    press(vk::letter('W'));
    for (int f = 0; f < 10; ++f) runFrame();
    const float x = players[0].x;
    press(vk::ESCAPE);
    EXPECT_EQ(runFrame().branch, FrameBranch::Title);
    EXPECT_FALSE(matchRunning);
    EXPECT_FALSE(game.leaveLatch);  // used up
    const int timer = spawnTimer;
    for (int f = 0; f < 10; ++f) EXPECT_EQ(runFrame().branch, FrameBranch::Title);
    EXPECT_FLOAT_EQ(players[0].x, x);
    EXPECT_EQ(spawnTimer, timer);
    // F1 restarts from the start places.
    release(vk::letter('W'));
    startMatch();
    EXPECT_FLOAT_EQ(players[0].x, -37.5f);
}

// P or Pause, each new press: the match with its timers and the hit countdown stops, and goes on
// from the same state; held keys toggle once; the title screen ignores both; Escape still leaves.
TEST_F(MatchFlow, PauseStopsEverythingOfTheMatchUntilPressedAgain) {
    press(vk::letter('P'));
    runFrame();
    release(vk::letter('P'));
    startMatch();
    EXPECT_FALSE(matchPaused);
    press(vk::letter('W'));
    runFrame();
    ASSERT_FALSE(headless::waveCalls().empty());  // the engine runs
    const Player before = players[0];
    for (int key : {vk::letter('P'), vk::PAUSE}) {
        const int spawn = spawnTimer;
        const float time = frameTime, spin = powerupSpin;
        press(key);
        for (int f = 0; f < 20; ++f) {
            press(key);  // auto-repeat
            EXPECT_EQ(runFrame().branch, FrameBranch::Paused);
            runFrame();
        }
        EXPECT_TRUE(matchPaused);
        ASSERT_FALSE(headless::waveCalls().empty());
        EXPECT_TRUE(headless::waveCalls().back().path.empty());  // the engine stopped
        EXPECT_EQ(players[0].x, before.x);
        EXPECT_EQ(spawnTimer, spawn);
        EXPECT_EQ(frameTime, time);
        EXPECT_EQ(powerupSpin, spin);
        release(key);
        runFrame();
        press(key);  // resume
        runFrame();
        release(key);
        EXPECT_FALSE(matchPaused);
        EXPECT_GT(players[0].x, before.x);
        headless::clearRecords();
        players[0] = before;
    }
    hitPlayerOneNextUpdate();
    runFrame();
    ASSERT_EQ(hitCountdown, 150);
    press(vk::PAUSE);
    for (int f = 0; f < 10; ++f) runFrame();
    EXPECT_EQ(runFrame().branch, FrameBranch::Paused);
    EXPECT_EQ(hitCountdown, 149);  // one step in the frame that saw the key
    release(vk::PAUSE);
    press(vk::ESCAPE);
    runFrame();
    EXPECT_TRUE(matchRunning);  // not during the countdown
    hitCountdown = -1;
    runFrame();
    EXPECT_FALSE(matchRunning);
    EXPECT_FALSE(matchPaused);
}

TEST_F(MatchFlow, EscapeOnTheTitleScreenIsClearedWithoutEffect) {
    press(vk::ESCAPE);
    EXPECT_EQ(runFrame().branch, FrameBranch::Title);
    EXPECT_FALSE(game.leaveLatch);  // used up
    EXPECT_FALSE(matchRunning);
}

TEST_F(MatchFlow, MatchKeysWaitOnTheTitleScreenAndActInTheNextUpdate) {
    press(vk::digit(3));
    press(vk::letter('Z'));
    runFrame();
    EXPECT_EQ(viewMode, 0);
    EXPECT_EQ(KeyState[vk::digit(3)], 1);
    startMatch();
    EXPECT_EQ(viewMode, 2);
    EXPECT_EQ(KeyState[vk::digit(3)], 0);
    EXPECT_EQ(viewer.splitCamera[0], 1);
    EXPECT_EQ(KeyState[vk::letter('Z')], 0);
}

TEST_F(MatchFlow, ViewKeysAreClearedAndTheLastHeldWins) {
    startMatch();
    press(vk::digit(2));
    press(vk::digit(5));
    runFrame();
    EXPECT_EQ(viewMode, 4);
    EXPECT_EQ(KeyState[vk::digit(2)], 0);
    EXPECT_EQ(KeyState[vk::digit(5)], 0);
    press(vk::numpad(1));
    runFrame();
    EXPECT_EQ(viewer.splitCamera[0], 0);
    EXPECT_EQ(viewer.splitCamera[1], 1);
    runFrame();  // cleared: no second toggle
    EXPECT_EQ(viewer.splitCamera[1], 1);
}

// Key scripts name keys through platform/keys.h: every key the game reads, found by pressing each
// code in turn, has a name there that leads back to it, in any case.
TEST_F(MatchFlow, EveryKeyTheGameReadsHasAName) {
    int readKeys = 0;
    for (int code = 0; code < 256; ++code) {
        clearKeys();
        keyDown(code);
        Viewer watcher;
        watcher.viewMode = -1;
        FrameResult match;
        match.branch = FrameBranch::Match;
        viewerAfterFrame(watcher, game, match);
        const FrameInput input = keyFrameInput(0, clock);
        const bool viewerTookIt = watcher.viewMode >= 0 || watcher.splitCamera[0] || watcher.splitCamera[1];
        if (!viewerTookIt && !input.controls[0] && !input.controls[1] && !input.gameKeys) continue;
        ++readKeys;
        const char* name = vk::keyName(code);
        ASSERT_NE(name, nullptr) << "key " << code;
        EXPECT_EQ(vk::keyCode(name), code) << name;
    }
    EXPECT_EQ(readKeys, 14 + 6 + 9);  // the tanks'; F1-F3, Escape, P, Pause; the cameras' 1-7, Z, KP1
    EXPECT_EQ(vk::keyCode("pause"), vk::PAUSE);
    EXPECT_EQ(vk::keyCode("Esc"), vk::ESCAPE);
    for (const char* unknown : {"", "FOO", "KP", "F13", "ESCAPE", "P "})
        EXPECT_EQ(vk::keyCode(unknown), -1) << unknown;
}

TEST_F(MatchFlow, ViewLayoutFollowsViewModeOnlyDuringAMatch) {
    int cameras[2];
    viewMode = 6;
    ASSERT_EQ(frameViews(game, viewer, cameras), 1);
    EXPECT_EQ(cameras[0], 1);  // the title screen's orbiting camera
    startMatch();
    viewer.splitCamera[0] = 1;
    ASSERT_EQ(frameViews(game, viewer, cameras), 2);
    EXPECT_EQ(cameras[0], 4);
    EXPECT_EQ(cameras[1], 3);
    viewMode = 5;
    ASSERT_EQ(frameViews(game, viewer, cameras), 1);
    EXPECT_EQ(cameras[0], 5);
}

TEST_F(MatchFlow, HitCountdownLasts151FramesInOneView) {
    startMatch();
    hitPlayerOneNextUpdate();
    runFrame();
    ASSERT_EQ(hitCountdown, 150);
    EXPECT_EQ(hitPlayer, 1);
    EXPECT_EQ(players[1].lives, 4);
    int frames = 0;
    while (hitCountdown >= 0) {
        if (hitCountdown == 0) {
            EXPECT_FLOAT_EQ(players[1].x, 0.0f) << "restart too early";
        }
        const FrameBranch branch = runFrame().branch;
        if (hitCountdown >= 0) {
            EXPECT_EQ(branch, FrameBranch::Countdown);
        }
        ++frames;
    }
    EXPECT_EQ(frames, 151);
    EXPECT_FLOAT_EQ(players[1].turretAngle, 0.0f);  // restartPlay at 0, spun no more
    EXPECT_FLOAT_EQ(players[1].x, 37.5f);
    EXPECT_LT(bullets[0].life, 0);
    EXPECT_TRUE(matchRunning);
    EXPECT_EQ(players[1].lives, 4);
}

TEST_F(MatchFlow, TurretSpinsAndKeysAreIgnoredDuringTheCountdown) {
    startMatch();
    hitPlayerOneNextUpdate();
    runFrame();
    press(vk::ESCAPE);
    press(vk::digit(4));
    for (int f = 0; f < 10; ++f) runFrame();
    EXPECT_FLOAT_EQ(players[1].turretAngle, 60.0f);
    EXPECT_TRUE(matchRunning);
    EXPECT_EQ(viewMode, 0);
    EXPECT_TRUE(game.leaveLatch);  // the press waits for the countdown
}

TEST_F(MatchFlow, SplitScreenStepsTheCountdownOncePerFrame) {
    startMatch();
    viewMode = 6;
    hitPlayerOneNextUpdate();
    runFrame();
    ASSERT_EQ(hitCountdown, 150);
    int frames = 0;
    while (hitCountdown >= 0) {
        runFrame();
        ++frames;
    }
    EXPECT_EQ(frames, 151);
}

TEST_F(MatchFlow, MatchEndsAfterTheLastLifeOnceTheCountdownIsOver) {
    viewMode = 2;
    startMatch();
    players[1].lives = 1;
    hitPlayerOneNextUpdate();
    runFrame();
    ASSERT_EQ(players[1].lives, 0);
    // matchRunning turns false at the first step; the title shows only after the countdown.
    int frames = 0;
    while (hitCountdown >= 0) {
        const FrameBranch branch = runFrame().branch;
        if (hitCountdown >= 0) {
            EXPECT_EQ(branch, FrameBranch::Countdown);
        }
        ++frames;
    }
    EXPECT_EQ(frames, 151);
    EXPECT_FALSE(matchRunning);
    EXPECT_EQ(runFrame().branch, FrameBranch::Title);
    EXPECT_FLOAT_EQ(players[0].x, -37.5f);
    EXPECT_FLOAT_EQ(players[1].x, 37.5f);
    // viewMode survives into the next match, which starts with fresh lives.
    startMatch();
    EXPECT_EQ(viewMode, 2);
    EXPECT_EQ(players[1].lives, 5);
}

TEST_F(MatchFlow, SplitScreenLastLifePauseLastsAsLongAsInOneView) {
    viewMode = 6;
    startMatch();
    players[1].lives = 1;
    hitPlayerOneNextUpdate();
    runFrame();
    int frames = 0;
    while (hitCountdown >= 0) {
        runFrame();
        ++frames;
    }
    EXPECT_EQ(frames, 151);
}

TEST_F(MatchFlow, FrameClockAdvancesInEveryState) {
    runFrame();
    startMatch();
    hitPlayerOneNextUpdate();
    runFrame();
    runFrame();
    EXPECT_NEAR(frameTime, 0.04f, 1e-6f);
}

TEST_F(MatchFlow, OrbitClockKeepsItsPaceForDays) {
    // 100 hours of frames: the orbit turns by about 0.01 radian in every one of them.
    double previous = frameTime;
    for (long frame = 1; frame <= 100L * 360000; ++frame) {
        endFrame(game);
        const double step = std::remainder(double(frameTime) - previous, 2 * 3.14159265358979);
        if (step < 0.0097 || step > 0.011) {
            FAIL() << "frame " << frame << " turned " << step;
        }
        previous = frameTime;
        if (frame == 9L * 360000) {
            EXPECT_GT(frameTime, 31000.0f);  // the first hours as always
        }
    }
}

TEST_F(MatchFlow, SpinsKeepTheirStepForDays) {
    // Bullets turn 10 degrees and powerups 2 per match update: 20 million updates, over 55 hours,
    // past where a float that only grows loses either step.
    for (const float degrees : {10.0f, 2.0f}) {
        float spin = 0;
        for (long update = 1; update <= 20000000; ++update) {
            const float before = spin;
            advanceSpin(spin, degrees);
            const double step = std::fmod(double(spin) - before + 360 * 100000.0, 360);
            if (step != degrees) {
                FAIL() << degrees << " degrees an update, update " << update << ": " << before << " -> " << spin;
            }
        }
    }
}

TEST_F(MatchFlow, RestartKeepsLivesViewAndSpawnCountdown) {
    startMatch();
    players[0].lives = 2;
    players[0].powerupKind = Shield;
    players[0].powerupTimer = 7;
    viewer.splitCamera[0] = 1;
    viewMode = 3;
    powerup.life = 50;
    const int timer = spawnTimer;
    restartPlay();
    EXPECT_EQ(players[0].lives, 2);
    EXPECT_EQ(viewMode, 3);
    EXPECT_EQ(spawnTimer, timer);
    EXPECT_EQ(powerup.life, 0);
    EXPECT_EQ(players[0].powerupKind, 0);
    EXPECT_EQ(players[0].powerupTimer, 0);
    EXPECT_EQ(viewer.splitCamera[0], 0);
    EXPECT_FLOAT_EQ(players[0].leftTrackScroll, 1.0f);
    EXPECT_FLOAT_EQ(players[1].heading, 180.0f);
    EXPECT_FLOAT_EQ(players[1].blue, 1.0f);
}

TEST_F(MatchFlow, AbsurdPlayerCountIsCutToTheStartPlaces) {
    playerCount = INT32_MAX;
    headless::clearRecords();
    initGame(writeTempFile("arena.txt", "").c_str());
    EXPECT_EQ(playerCount, MAX_PLAYERS);
    EXPECT_TRUE(headless::shownMessages().empty());
    // A match of four tanks runs.
    startMatch();
    int cameras[2];
    viewMode = 6;
    EXPECT_EQ(frameViews(game, viewer, cameras), 2);
    for (int f = 0; f < 5; ++f) runFrame();
    EXPECT_TRUE(matchRunning);
}

}  // namespace
