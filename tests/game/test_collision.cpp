// Collision tests against the wall boxes and between tanks.
#include <cmath>

#include "tests/game/game_fixture.h"

namespace {

using Collision = GameTest;

TEST_F(Collision, WallEdgeCountsAsInside) {
    // Facing +x with the barrel turned away, the front hull corners are at x = 2.3.
    placePlayer(0, 0, 0, 0, 90);
    placePlayer(1, 30, 0, 180);
    setBlocks({block(2.3f, -2, 5, 2)});
    EXPECT_FALSE(tryMove(0, 0, 0, 0, 0));
    setBlocks({block(std::nextafter(2.3f, 3.0f), -2, 5, 2)});
    EXPECT_TRUE(tryMove(0, 0, 0, 0, 0));
    // The same through a proposed move: the move is refused, the position untouched.
    EXPECT_FALSE(tryMove(0, 0.1f, 0, 0, 0));
    EXPECT_FLOAT_EQ(players[0].x, 0.0f);
}

TEST_F(Collision, OnlyTheTenOutlinePointsCount) {
    // A thin post between the front corners touches no outline point.
    placePlayer(0, 0, 0, 0, 90);
    placePlayer(1, 30, 0, 180);
    setBlocks({block(2.0f, -0.5f, 2.2f, 0.5f)});
    EXPECT_TRUE(tryMove(0, 0, 0, 0, 0));
}

TEST_F(Collision, CentreDistanceTestIsStrict) {
    placePlayer(0, 0, 0, 0);
    placePlayer(1, 4.8f, 0, 180);
    ASSERT_EQ(4.8f * 4.8f, 23.04f);
    EXPECT_TRUE(tryMove(0, 0, 0, 0, 0));   // exactly 23.04 is allowed
    EXPECT_FALSE(tryMove(0, 0.01f, 0, 0, 0));
    EXPECT_TRUE(tryMove(0, -0.01f, 0, 0, 0));
    EXPECT_FALSE(tryMove(1, -0.01f, 0, 0, 0));
}

TEST_F(Collision, TurningOnTheSpotIsBlockedByAHullCorner) {
    placePlayer(0, 0, 0, 0, 90);
    placePlayer(1, 30, 0, 180);
    // Just beside the front-left corner (2.3, 1.55): a left turn swings the corner into it.
    setBlocks({block(2.25f, 1.56f, 2.29f, 1.6f)});
    EXPECT_TRUE(tryMove(0, 0, 0, 0, 0));
    EXPECT_FALSE(tryMove(0, 0, 0, 0.5f, 0));
    EXPECT_TRUE(tryMove(0, 0, 0, -0.5f, 0));
}

TEST_F(Collision, TurningTheTurretIsBlockedByTheBarrel) {
    placePlayer(0, 0, 0, 0, 0);
    placePlayer(1, 30, 0, 180);
    // Beside the barrel's tip corner (2.6, 0.14).
    setBlocks({block(2.55f, 0.15f, 2.5995f, 0.2f)});
    EXPECT_TRUE(tryMove(0, 0, 0, 0, 0));
    EXPECT_FALSE(tryMove(0, 0, 0, 0, 0.4f));
    EXPECT_TRUE(tryMove(0, 0, 0, 0, -0.4f));
    // A hull turn swings the barrel too.
    EXPECT_FALSE(tryMove(0, 0, 0, 0.4f, 0));
}

TEST_F(Collision, BulletMarginIsInclusive) {
    const PlayfieldBlock b = block(-1, -1, 1, 1);
    EXPECT_TRUE(bulletHitsBlock(b, 1.14f, 0));
    EXPECT_TRUE(bulletHitsBlock(b, -1.14f, -1.14f));
    EXPECT_FALSE(bulletHitsBlock(b, 1.15f, 0));
    EXPECT_FALSE(bulletHitsBlock(b, 0, -1.15f));
}

TEST_F(Collision, PowerupMarginIsStrict) {
    setBlocks({block(1.4f, -5, 3, 5)});
    EXPECT_FALSE(powerupOverlapsBlock(0, 0));  // the square's edge just touches
    setBlocks({block(std::nextafter(1.4f, 0.0f), -5, 3, 5)});
    EXPECT_TRUE(powerupOverlapsBlock(0, 0));
    setBlocks({block(-5, -3, 5, -1.4f)});
    EXPECT_FALSE(powerupOverlapsBlock(0, 0));
    setBlocks({});
    EXPECT_FALSE(powerupOverlapsBlock(0, 0));
}

}  // namespace
