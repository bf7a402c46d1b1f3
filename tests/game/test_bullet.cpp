// Bullet flight: lifetime, own-tank safety, walls in each variant, shields and hits.
#include "platform/keys.h"
#include "tests/game/game_fixture.h"

namespace {

class Bullets : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        matchRunning = true;
        spawnTimer = 1000000;  // no powerup comes to interfere
        placePlayer(0, -30, 0, 0);
        placePlayer(1, 30, 20, 180);
    }
    // A bullet of player 0's that sits still inside its own tank: only the safety keeps it off.
    void parkBulletInOwnTank(int life) { bullets[0] = {-30, 0, 0, 0, 0, life}; }
    int updatesUntilEmpty() {
        int updates = 0;
        while (bullets[0].life >= 0 && updates < 10000) {
            matchUpdate();
            ++updates;
        }
        return updates;
    }
};

TEST_F(Bullets, FlyingBulletMakes200Steps) {
    bullets[0] = {-20, 0, 0.3f, 0, 0, 200};
    EXPECT_EQ(updatesUntilEmpty(), 201);  // the update at life 0 still steps
    EXPECT_NEAR(bullets[0].x, -20 + 200 * 0.3f, 1e-3f);
}

TEST_F(Bullets, BulletSpeedMakes400StepsInTheSameUpdates) {
    players[0].powerupKind = BulletSpeed;
    players[0].powerupTimer = 5000;
    bullets[0] = {-20, 0, 0.3f, 0, 0, 200};
    EXPECT_EQ(updatesUntilEmpty(), 201);
    EXPECT_NEAR(bullets[0].x, -20 + 400 * 0.3f, 1e-3f);
}

TEST_F(Bullets, OwnTankIsSafeForFiveUpdates) {
    parkBulletInOwnTank(200);
    for (int u = 0; u < 5; ++u) matchUpdate();
    EXPECT_EQ(hitCountdown, -1);
    matchUpdate();
    EXPECT_EQ(hitCountdown, 150);
    EXPECT_EQ(hitPlayer, 0);
    EXPECT_EQ(players[0].lives, 4);
}

TEST_F(Bullets, BulletSpeedDoubleStepTakesTwoLivesAfterTenSafeSteps) {
    players[0].powerupKind = BulletSpeed;
    players[0].powerupTimer = 5000;
    parkBulletInOwnTank(200);
    for (int u = 0; u < 5; ++u) matchUpdate();  // ten steps at life 199..195
    EXPECT_EQ(players[0].lives, 5);
    matchUpdate();
    EXPECT_EQ(players[0].lives, 3);
    // On the last life the second hit finds none left to take.
    players[0].lives = 1;
    hitCountdown = -1;
    parkBulletInOwnTank(150);
    matchUpdate();
    EXPECT_EQ(players[0].lives, 0);
}

TEST_F(Bullets, RapidFireBulletIsSafeFor405Updates) {
    parkBulletInOwnTank(600);
    players[0].powerupKind = RapidFire;
    players[0].powerupTimer = 5000;
    for (int u = 0; u < 405; ++u) matchUpdate();
    EXPECT_EQ(hitCountdown, -1);
    matchUpdate();
    EXPECT_EQ(players[0].lives, 4);
}

TEST_F(Bullets, OtherTanksAreHitAtOnce) {
    bullets[0] = {30, 20, 0, 0, 0, 200};
    EXPECT_TRUE(bulletHitsTank(1, 0));
    EXPECT_FALSE(bulletHitsTank(0, 0));  // own tank far away anyway
}

TEST_F(Bullets, HullBoxIsTestedInTheTanksOwnFrame) {
    placePlayer(1, 0, 0, 90);  // facing +y: the box reaches 2.3 up, 2.1 down, 1.55 sideways
    auto at = [this](float x, float y) {
        bullets[0] = {x, y, 0, 0, 0, 100};
        return bulletHitsTank(1, 0);
    };
    EXPECT_TRUE(at(0, 2.29f));
    EXPECT_FALSE(at(0, 2.31f));
    EXPECT_TRUE(at(0, -2.09f));
    EXPECT_FALSE(at(0, -2.11f));
    EXPECT_TRUE(at(1.54f, 0));
    EXPECT_FALSE(at(1.56f, 0));
    EXPECT_FALSE(at(0.1f, 2.5f));  // where the barrel would be: not part of the box
}

TEST_F(Bullets, RegularBulletDiesAtAWallButStillMoves) {
    setBlocks({block(0, -5, 2, 5)});
    bullets[0] = {-0.3f, 0, 0.3f, 0, 0, 100};
    stepBullet(0);
    EXPECT_EQ(bullets[0].life, -1);
    EXPECT_NEAR(bullets[0].x, 0.0f, 1e-6f);
    const float x = bullets[0].x;
    stepBullet(0);  // empty: no further step
    EXPECT_FLOAT_EQ(bullets[0].x, x);
}

TEST_F(Bullets, PointBlankShotIntoAWallEndsThereAndSparesTheShooter) {
    // The bullet leaves 2.1 ahead, still inside the shooter's hull box, and meets the wall in
    // its first step: the safety counts from the life the bullet had when that step began.
    setBlocks({block(-27.6f, -5, -20, 5)});  // 0.1 beyond player 0's front edge
    for (GameMode mode : {Regular, Steerable}) {
        SCOPED_TRACE(mode);
        gameMode = mode;
        press(vk::letter('X'));
        for (int u = 0; u < 10; ++u) matchUpdate();
        release(vk::letter('X'));
        EXPECT_LT(bullets[0].life, 0);
        EXPECT_EQ(players[0].lives, 5);
        EXPECT_EQ(hitCountdown, -1);
    }
}

TEST_F(Bullets, BouncingOffASideReversesVx) {
    gameMode = Bouncing;
    setBlocks({block(0, -5, 2, 5)});
    bullets[0] = {-0.4f, 1, 0.3f, 0.1f, 0, 100};  // next x -0.1: inside the 0.14 margin
    stepBullet(0);
    EXPECT_FLOAT_EQ(bullets[0].vx, -0.3f);
    EXPECT_FLOAT_EQ(bullets[0].vy, 0.1f);
    EXPECT_EQ(bullets[0].life, 100);
}

TEST_F(Bullets, BouncingOffTopOrBottomReversesVy) {
    gameMode = Bouncing;
    setBlocks({block(0, -5, 2, 5)});
    bullets[0] = {1, 5.3f, 0.1f, -0.3f, 0, 100};
    stepBullet(0);
    EXPECT_FLOAT_EQ(bullets[0].vx, 0.1f);
    EXPECT_FLOAT_EQ(bullets[0].vy, 0.3f);
    // A corner entered from within the side margin band counts as top or bottom.
    bullets[0] = {-0.1f, -5.3f, 0.1f, 0.3f, 0, 100};
    stepBullet(0);
    EXPECT_FLOAT_EQ(bullets[0].vx, 0.1f);
    EXPECT_FLOAT_EQ(bullets[0].vy, -0.3f);
}

TEST_F(Bullets, TwoBlocksHitInOneStepReverseTwice) {
    gameMode = Bouncing;
    setBlocks({block(0, -5, 2, 0), block(0, 0, 2, 5)});
    bullets[0] = {-0.4f, 0, 0.3f, 0, 0, 100};
    stepBullet(0);
    EXPECT_FLOAT_EQ(bullets[0].vx, 0.3f);
    EXPECT_NEAR(bullets[0].x, -0.1f, 1e-6f);
}

TEST_F(Bullets, SteerableBulletFollowsItsHeadingOthersIgnoreIt) {
    bullets[0] = {0, -10, 0.3f, 0, 90, 100};
    stepBullet(0);
    EXPECT_FLOAT_EQ(bullets[0].vx, 0.3f);  // Regular: heading ignored
    gameMode = Steerable;
    stepBullet(0);
    EXPECT_NEAR(bullets[0].vx, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(bullets[0].vy, 0.3f);
}

TEST_F(Bullets, ShieldAbsorbsTheHit) {
    players[1].powerupKind = Shield;
    players[1].powerupTimer = 300;
    bullets[0] = {30, 20, 0.3f, 0, 0, 100};
    matchUpdate();
    EXPECT_EQ(players[1].lives, 5);
    EXPECT_EQ(players[1].powerupKind, 0);
    EXPECT_EQ(players[1].powerupTimer, 0);
    EXPECT_LT(bullets[0].life, 0);
    EXPECT_EQ(hitCountdown, -1);
}

TEST_F(Bullets, ShieldUsesTheBulletUpForOverlappingTanks) {
    // Hull boxes can overlap with centres 4.8 apart; a bullet absorbed by the first shield
    // must not go on to hit the second tank.
    placePlayer(0, 0, 0, 90);
    placePlayer(1, 3.05f, 3.72f, 90);
    players[0].powerupKind = Shield;
    players[0].powerupTimer = 300;
    bullets[1] = {1.525f, 2.0f, 0, 0, 0, 100};
    ASSERT_TRUE(bulletHitsTank(0, 1));
    ASSERT_TRUE(bulletHitsTank(1, 1));
    stepBullet(1);
    EXPECT_EQ(players[0].powerupKind, 0);
    EXPECT_EQ(players[1].lives, 5);
    EXPECT_EQ(hitCountdown, -1);
}

TEST_F(Bullets, HitBulletStaysLiveAndTheUpdateRunsOn) {
    // The tank test uses the position before the step: entering the box hits one update later.
    bullets[0] = {27.5f, 20, 0.3f, 0, 0, 100};  // player 1's front edge is at x = 27.7
    matchUpdate();
    EXPECT_EQ(hitCountdown, -1);
    bullets[0] = {30, 20, 0.3f, 0, 0, 100};
    matchUpdate();
    EXPECT_EQ(hitCountdown, 150);
    EXPECT_EQ(bullets[0].life, 99);
    EXPECT_NEAR(bullets[0].x, 30.3f, 1e-5f);
    EXPECT_FLOAT_EQ(powerupSpin, 4.0f);  // the rest of the update ran
}

TEST_F(Bullets, BothTanksHitInOneUpdate) {
    bullets[0] = {30, 20, 0, 0, 0, 100};
    bullets[1] = {-30, 0, 0, 0, 0, 100};
    matchUpdate();
    EXPECT_EQ(players[0].lives, 4);
    EXPECT_EQ(players[1].lives, 4);
    EXPECT_EQ(hitPlayer, 0);  // player 1's bullet was handled last
}

TEST_F(Bullets, EmptySlotsKeepCountingDown) {
    ASSERT_EQ(bullets[0].life, -1);
    matchUpdate();
    matchUpdate();
    EXPECT_EQ(bullets[0].life, -3);
    bullets[0].life = INT32_MIN;
    matchUpdate();
    EXPECT_LT(bullets[0].life, 0);  // never wraps round to a live bullet
}

}  // namespace
