// What the game asks of the wave player during a match.
#include "platform/keys.h"
#include "tests/game/game_fixture.h"

namespace {

const unsigned ENGINE_FLAGS = platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP;

class Sounds : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        matchRunning = true;
        spawnTimer = 1000000;
    }
    int playsOf(const std::string& path) {
        int n = 0;
        for (const headless::WaveCall& play : headless::waveCalls()) n += play.path == path;
        return n;
    }
};

TEST_F(Sounds, DrivingStartsTheEngineLoopOnceAndStoppingEndsIt) {
    press(vk::letter('W'));
    matchUpdate();
    matchUpdate();
    ASSERT_EQ(headless::waveCalls().size(), 1u);
    EXPECT_EQ(headless::waveCalls()[0].path, "data/TankDrive.wav");
    EXPECT_EQ(headless::waveCalls()[0].flags, ENGINE_FLAGS);
    release(vk::letter('W'));
    matchUpdate();
    ASSERT_EQ(headless::waveCalls().size(), 2u);
    EXPECT_EQ(headless::waveCalls()[1].path, "");  // stop
    matchUpdate();
    EXPECT_EQ(headless::waveCalls().size(), 2u);
}

TEST_F(Sounds, EngineLoopDoesNotCutOffAShotAndResumesAfterIt) {
    press(vk::letter('W'));
    matchUpdate();
    press(vk::letter('X'));
    matchUpdate();
    ASSERT_EQ(headless::waveCalls().size(), 3u);
    EXPECT_EQ(headless::waveCalls()[1].path, "data/TankShoot.wav");
    EXPECT_EQ(headless::waveCalls()[1].flags, platform::WAVE_ASYNC);
    // Same update: the engine is wanted again, but NOSTOP fails while the shot plays.
    EXPECT_EQ(headless::waveCalls()[2].path, "data/TankDrive.wav");
    matchUpdate();
    EXPECT_EQ(playsOf("data/TankDrive.wav"), 3);  // retried every driving update
    headless::oneShotEnded();            // the shot has ended
    matchUpdate();
    matchUpdate();
    EXPECT_EQ(playsOf("data/TankDrive.wav"), 4);
    EXPECT_EQ(playsOf(""), 0);
}

TEST_F(Sounds, StoppingNeverCutsOffAShot) {
    press(vk::letter('X'));
    matchUpdate();
    matchUpdate();
    ASSERT_EQ(headless::waveCalls().size(), 1u);
    EXPECT_EQ(headless::waveCalls()[0].path, "data/TankShoot.wav");
}

TEST_F(Sounds, TurningOnlyTheTurretStartsNoEngine) {
    press(vk::letter('Q'));
    press(vk::numpad(9));
    for (int u = 0; u < 5; ++u) matchUpdate();
    EXPECT_TRUE(headless::waveCalls().empty());
    press(vk::letter('A'));  // a hull turn does
    matchUpdate();
    EXPECT_EQ(playsOf("data/TankDrive.wav"), 1);
}

TEST_F(Sounds, LeavingTheMatchStopsTheEngineLoop) {
    press(vk::letter('W'));
    runFrame();
    ASSERT_EQ(playsOf("data/TankDrive.wav"), 1);
    press(vk::ESCAPE);
    runFrame();
    ASSERT_FALSE(matchRunning);
    ASSERT_EQ(headless::waveCalls().size(), 2u);
    EXPECT_EQ(headless::waveCalls()[1].path, "");  // stop
    runFrame();  // the title screen asks nothing more of the wave player
    EXPECT_EQ(headless::waveCalls().size(), 2u);
}

TEST_F(Sounds, HitPlaysTheExplosionAndTheCountdownKeepsTheLoopOff) {
    press(vk::letter('W'));
    matchUpdate();
    bullets[1] = {players[0].x, players[0].y, 0, 0, 0, 100};
    matchUpdate();
    EXPECT_EQ(playsOf("data/TankExplosion.wav"), 1);
    EXPECT_EQ(hitCountdown, 150);
    const size_t plays = headless::waveCalls().size();
    for (int f = 0; f < 20; ++f) runFrame();
    EXPECT_EQ(headless::waveCalls().size(), plays);
}

}  // namespace
