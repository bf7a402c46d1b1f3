// Powerups: the generator and its ranges, spawning, collection, effect timers, the shield pulse.
#include <map>

#include "tests/game/game_fixture.h"

namespace {

class Powerups : public GameTest {
protected:
    void seedRandom(uint32_t seed) { game.randomState = seed; }
    uint32_t nextRandom() { return ::nextRandom(game); }
    std::map<int, int> histogram(int a, int b, int draws) {
        std::map<int, int> counts;
        for (int n = 0; n < draws; ++n) ++counts[randomRange(a, b)];
        return counts;
    }
};

TEST_F(Powerups, GeneratorFollowsItsRecurrence) {
    seedRandom(1);
    // s = 1 * 214013 + 2531011 = 2745024; (s >> 16) & 0x7FFF = 41.
    EXPECT_EQ(nextRandom(), 41u);
    EXPECT_EQ(nextRandom(), 18467u);
    EXPECT_EQ(nextRandom(), 6334u);
}

TEST_F(Powerups, SmallRangeFavoursTheMiddleValues) {
    seedRandom(99);
    const int draws = 60000;
    auto counts = histogram(1, 4, draws);
    ASSERT_EQ(counts.size(), 4u);
    EXPECT_NEAR(counts[1] / double(draws), 1 / 6.0, 0.01);
    EXPECT_NEAR(counts[2] / double(draws), 1 / 3.0, 0.01);
    EXPECT_NEAR(counts[3] / double(draws), 1 / 3.0, 0.01);
    EXPECT_NEAR(counts[4] / double(draws), 1 / 6.0, 0.01);
}

TEST_F(Powerups, SymmetricRangeNeverYieldsItsLowEndAndDoublesZero) {
    seedRandom(7);
    const int draws = 200000;
    auto counts = histogram(-42, 42, draws);
    EXPECT_EQ(counts.count(-42), 0u);
    EXPECT_EQ(counts.begin()->first, -41);
    EXPECT_EQ(counts.rbegin()->first, 42);
    const double typical = draws / 84.0;
    EXPECT_NEAR(counts[10] / typical, 1.0, 0.15);
    EXPECT_NEAR(counts[0] / typical, 2.0, 0.2);
    EXPECT_NEAR(counts[42] / typical, 0.5, 0.12);
    EXPECT_NEAR(counts[-41] / typical, 0.5, 0.12);
}

TEST_F(Powerups, ResetsWithTheSameSeedRepeatTheDraws) {
    clock = 2024;
    resetPowerup();
    std::vector<int> first;
    for (int n = 0; n < 20; ++n) first.push_back(randomRange(500, 1500));
    restartPlay();
    std::vector<int> second;
    for (int n = 0; n < 20; ++n) second.push_back(randomRange(500, 1500));
    EXPECT_EQ(first, second);
}

TEST_F(Powerups, FirstSpawnComes300MatchUpdatesAfterTheFirstStart) {
    for (int f = 0; f < 50; ++f) runFrame();  // title frames do not count
    EXPECT_EQ(spawnTimer, 300);
    startMatch();  // update 1
    int updates = 1;
    while (powerup.life == 0 && updates < 1000) {
        runFrame();
        ++updates;
    }
    EXPECT_EQ(updates, 300);
    EXPECT_EQ(powerup.life, 800);
    EXPECT_GE(spawnTimer, 500);
    EXPECT_LE(spawnTimer, 1500);
    EXPECT_GE(powerup.kind, 1);
    EXPECT_LE(powerup.kind, 4);
    EXPECT_EQ(powerup.x, static_cast<int>(powerup.x));
}

TEST_F(Powerups, SpawnOnAWallIsWithdrawnAndRedrawnNextUpdate) {
    setBlocks({block(-50, -40, 50, 40)});  // the whole floor is wall
    spawnTimer = 1;
    powerup.x = powerup.y = 1000;
    updatePowerup();
    EXPECT_EQ(powerup.life, 0);
    EXPECT_EQ(spawnTimer, 0);
    const float x = powerup.x;
    EXPECT_NE(x, 1000.0f);  // drawn, but never seen
    setBlocks({});
    updatePowerup();
    EXPECT_EQ(powerup.life, 800);
    EXPECT_GE(spawnTimer, 500);
}

TEST_F(Powerups, FieldLifeRunsDownAndTheSpawnWaitsWhileAPowerupLies) {
    powerup = {2, 20, 20, Shield};
    spawnTimer = 5;
    updatePowerup();
    updatePowerup();
    EXPECT_EQ(powerup.life, 0);
    EXPECT_EQ(spawnTimer, 5);
    updatePowerup();
    EXPECT_EQ(spawnTimer, 4);
}

TEST_F(Powerups, CollectionReplacesAHeldEffectAndPlayerZeroWinsTies) {
    players[0].powerupKind = TankSpeed;
    players[0].powerupTimer = 400;
    placePlayer(0, 10, 10, 0);
    placePlayer(1, 11.9f, 10, 0);
    powerup = {100, 11, 10, RapidFire};
    updatePowerup();
    EXPECT_EQ(players[0].powerupKind, RapidFire);
    EXPECT_EQ(players[0].powerupTimer, 1000);
    EXPECT_EQ(players[1].powerupKind, 0);
    EXPECT_EQ(powerup.life, 0);
    // Just at distance 2: not collected.
    powerup = {100, 10, 12, Shield};
    updatePowerup();
    EXPECT_EQ(powerup.life, 99);
}

TEST_F(Powerups, EffectIsClearedInTheFirstUpdateThatFindsTheTimerAtZero) {
    players[0].powerupKind = BulletSpeed;
    players[0].powerupTimer = 2;
    updatePowerup();
    updatePowerup();
    EXPECT_EQ(players[0].powerupTimer, 0);
    EXPECT_EQ(players[0].powerupKind, BulletSpeed);
    updatePowerup();
    EXPECT_EQ(players[0].powerupKind, 0);
}

TEST_F(Powerups, ShieldPulseTurnsBetweenItsBounds) {
    float low = 1, high = 0;
    int turns = 0;
    float step = game.shieldPulseStep;
    for (int u = 0; u < 1000; ++u) {
        updatePowerup();
        low = std::min(low, shieldPulse);
        high = std::max(high, shieldPulse);
        if (game.shieldPulseStep != step) ++turns;
        step = game.shieldPulseStep;
    }
    EXPECT_GT(low, 0.13f);
    EXPECT_LT(low, 0.16f);
    EXPECT_GT(high, 0.39f);
    EXPECT_LT(high, 0.42f);
    EXPECT_GE(turns, 30);
    EXPECT_FLOAT_EQ(powerupSpin, 2000.0f);
}

}  // namespace
