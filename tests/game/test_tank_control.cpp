// Tank control: walls, other tanks, track scroll, engine request, firing and steering.
#include <cmath>
#include <cstring>

#include "platform/keys.h"
#include "tests/game/game_fixture.h"

namespace {

const TankKeys P0 = {vk::letter('A'), vk::letter('D'), vk::letter('Q'), vk::letter('E'),
                     vk::letter('W'), vk::letter('S'), vk::letter('X')};

class Tanks : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        matchRunning = true;
    }
    // One control step of player 0 with a fresh engine request.
    void control() {
        engineWanted = false;
        controlTank(0, P0);
    }
};

TEST_F(Tanks, TankFacingAWallStopsAtFirstTouchAndBacksAwayAtOnce) {
    placePlayer(0, 0, 0, 0, 90);
    setBlocks({block(10, -5, 12, 5)});
    press(P0.forward);
    int steps = 0;
    float lastX = -1;
    while (players[0].x != lastX && steps < 1000) {
        lastX = players[0].x;
        control();
        ++steps;
    }
    // The front corners stop short of the wall by less than one drive step.
    EXPECT_LT(players[0].x + 2.3f, 10.0f);
    EXPECT_GT(players[0].x + 2.3f + 0.075f, 10.0f);
    EXPECT_FALSE(engineWanted);
    release(P0.forward);
    press(P0.backward);
    control();
    EXPECT_TRUE(engineWanted);
    EXPECT_NEAR(players[0].x, lastX - 0.075f, 1e-5f);
}

TEST_F(Tanks, TwoTanksDrivingAtEachOtherStop4_8Apart) {
    placePlayer(0, -10, 0, 0);
    placePlayer(1, 10, 0, 180);
    press(P0.forward);
    press(vk::numpad(8));
    for (int f = 0; f < 300; ++f) matchUpdate();
    const float gap = players[1].x - players[0].x;
    EXPECT_GE(gap * gap, 23.04f);
    EXPECT_LT(gap, 4.8f + 0.075f);
}

TEST_F(Tanks, ForwardAndBackwardTogetherDriveBackwardWithForwardTracks) {
    placePlayer(0, 0, 0, 0);
    press(P0.forward);
    press(P0.backward);
    control();
    EXPECT_NEAR(players[0].x, -0.075f, 1e-6f);
    EXPECT_FLOAT_EQ(players[0].leftTrackScroll, 1.03f);
    EXPECT_FLOAT_EQ(players[0].rightTrackScroll, 1.03f);
}

TEST_F(Tanks, PushingAWallScrollsTracksButWantsNoEngine) {
    placePlayer(0, 0, 0, 0, 90);
    setBlocks({block(2.35f, -5, 4, 5)});
    press(P0.forward);
    control();
    EXPECT_FLOAT_EQ(players[0].x, 0.0f);
    EXPECT_FLOAT_EQ(players[0].leftTrackScroll, 1.03f);
    EXPECT_FALSE(engineWanted);
}

TEST_F(Tanks, TrackScrollFollowsTheKeysAndWraps) {
    struct Row {
        bool forward, backward, left, right;
        float right_, left_;
    };
    const Row rows[] = {
        {true, false, true, false, 0.03f, 0.015f},   {true, true, false, true, 0.015f, 0.03f},
        {true, false, false, false, 0.03f, 0.03f},   {false, true, true, true, -0.015f, -0.03f},
        {false, true, false, true, -0.03f, -0.015f}, {false, true, false, false, -0.03f, -0.03f},
        {false, false, true, true, 0.015f, -0.015f}, {false, false, false, true, -0.015f, 0.015f},
        {false, false, false, false, 0.0f, 0.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.forward << row.backward << row.left << row.right);
        placePlayer(0, 0, 0, 0);
        players[0].rightTrackScroll = players[0].leftTrackScroll = 1.0f;
        KeyState[P0.forward] = row.forward;
        KeyState[P0.backward] = row.backward;
        KeyState[P0.hullLeft] = row.left;
        KeyState[P0.hullRight] = row.right;
        control();
        EXPECT_FLOAT_EQ(players[0].rightTrackScroll, 1.0f + row.right_);
        EXPECT_FLOAT_EQ(players[0].leftTrackScroll, 1.0f + row.left_);
    }
    std::memset(KeyState, 0, sizeof KeyState);
    press(P0.forward);
    players[0].leftTrackScroll = 1.99f;
    players[0].rightTrackScroll = 0.01f;
    control();
    EXPECT_NEAR(players[0].leftTrackScroll, 1.02f, 1e-5f);
    EXPECT_NEAR(players[0].rightTrackScroll, 0.04f, 1e-5f);
    release(P0.forward);
    press(P0.backward);
    players[0].leftTrackScroll = 0.01f;
    control();
    EXPECT_NEAR(players[0].leftTrackScroll, 0.98f, 1e-5f);
}

TEST_F(Tanks, HullAndTurretTurnAndOnlyTheHullWantsTheEngine) {
    placePlayer(0, 0, 0, 10, 0);
    press(P0.hullLeft);
    control();
    EXPECT_FLOAT_EQ(players[0].heading, 10.5f);
    EXPECT_TRUE(engineWanted);
    press(P0.hullRight);
    control();  // both held: one way and back
    EXPECT_FLOAT_EQ(players[0].heading, 10.5f);
    std::memset(KeyState, 0, sizeof KeyState);
    press(P0.turretLeft);
    control();
    EXPECT_FLOAT_EQ(players[0].turretAngle, 0.4f);
    EXPECT_FALSE(engineWanted);
    release(P0.turretLeft);
    press(P0.turretRight);
    control();
    EXPECT_NEAR(players[0].turretAngle, 0.0f, 1e-6f);
}

TEST_F(Tanks, MouseStepTurnsEitherTurretLeft) {
    mouseStep = -1;
    matchUpdate();
    EXPECT_FLOAT_EQ(players[0].turretAngle, 0.4f);
    EXPECT_FLOAT_EQ(players[1].turretAngle, 0.4f);
    mouseStep = 1;
    matchUpdate();
    EXPECT_FLOAT_EQ(players[0].turretAngle, 0.4f);
}

TEST_F(Tanks, FireLeavesFromTheMuzzleAndClearsTheKey) {
    placePlayer(0, 1, 2, 30, 60);
    press(P0.fire);
    control();
    const Bullet& b = bullets[0];
    EXPECT_EQ(b.life, 200);
    EXPECT_FLOAT_EQ(b.heading, 90.0f);
    EXPECT_NEAR(b.vx, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(b.vy, 0.3f);
    EXPECT_NEAR(b.x, 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(b.y, 2.0f + 2.1f);
    EXPECT_FALSE(game.fireLatch[0]);  // the press is used up
}

TEST_F(Tanks, HeldFireWaitsUntilTheBulletHasRunDown) {
    press(P0.fire);
    matchUpdate();
    ASSERT_EQ(bullets[0].life, 200);
    press(P0.fire);  // held again while the bullet flies
    bullets[0].life = 2;
    matchUpdate();  // life 1: nothing
    EXPECT_TRUE(game.fireLatch[0]);  // the press waits
    EXPECT_EQ(bullets[0].life, 1);
    matchUpdate();  // life 0: the bullet makes its last step, then the next shot leaves
    EXPECT_EQ(bullets[0].life, 200);
    EXPECT_FALSE(game.fireLatch[0]);  // the press is used up
}

TEST_F(Tanks, TankSpeedFiresOneBulletPerKeyDown) {
    players[0].powerupKind = TankSpeed;
    players[0].powerupTimer = 100;
    press(P0.fire);
    press(P0.forward);
    const float x = players[0].x;
    matchUpdate();
    EXPECT_EQ(bullets[0].life, 200);
    EXPECT_FALSE(game.fireLatch[0]);  // the press is used up
    EXPECT_NEAR(players[0].x, x + 0.15f, 1e-5f);  // both control steps drove
}

TEST_F(Tanks, RapidFireReplacesTheLiveBullet) {
    players[0].powerupKind = RapidFire;
    players[0].powerupTimer = 100;
    press(P0.fire);
    matchUpdate();
    ASSERT_EQ(bullets[0].life, 600);
    for (int f = 0; f < 20; ++f) matchUpdate();
    EXPECT_EQ(bullets[0].life, 580);
    press(P0.fire);
    matchUpdate();
    EXPECT_EQ(bullets[0].life, 600);
    EXPECT_NEAR(bullets[0].x, -37.5f + 2.1f, 1e-5f);
}

TEST_F(Tanks, HullKeysSteerTheBulletEvenWhenTheHullIsBlocked) {
    gameMode = Steerable;
    placePlayer(0, 0, 0, 0, 0);
    setBlocks({block(2.25f, 1.56f, 2.29f, 1.6f)});  // blocks a left hull turn
    bullets[0] = {5, 0, 0.3f, 0, 0, 100};
    press(P0.hullLeft);
    control();
    control();
    EXPECT_FLOAT_EQ(players[0].heading, 0.0f);
    EXPECT_FLOAT_EQ(bullets[0].heading, 2.0f);
    stepBullet(0);
    EXPECT_NEAR(bullets[0].vy, 0.3f * std::sin(2.0f * DEG_TO_RAD), 1e-6f);
    // An empty slot is not steered.
    bullets[0].life = -1;
    control();
    EXPECT_FLOAT_EQ(bullets[0].heading, 2.0f);
}

TEST_F(Tanks, TankSpeedSteersTwoDegreesPerUpdate) {
    gameMode = Steerable;
    players[0].powerupKind = TankSpeed;
    players[0].powerupTimer = 100;
    bullets[0] = {0, 20, 0.3f, 0, 0, 100};
    press(P0.hullRight);
    matchUpdate();
    EXPECT_FLOAT_EQ(bullets[0].heading, -2.0f);
    EXPECT_FLOAT_EQ(players[0].heading, -1.0f);
}

}  // namespace
