// Powerups: the random generator, the spawn step, collection, effect timers and the two
// animation values the drawing uses.
#include <ctime>

#include "game/game.h"

namespace {

constexpr int POWERUP_FIELD_LIFE = 800;
constexpr int EFFECT_DURATION = 1000;
constexpr float COLLECT_DISTANCE_SQUARED = 4.0f;  // tank centre within 2 units

uint32_t randomState = 0;
bool fixedSeedSet = false;
uint32_t fixedSeed = 0;

void spawnStep() {
    spawnTimer -= 1;
    if (spawnTimer > 0) return;
    spawnTimer = randomRange(500, 1500);
    powerup.life = POWERUP_FIELD_LIFE;
    powerup.x = static_cast<float>(randomRange(-42, 42));
    powerup.y = static_cast<float>(randomRange(-31, 31));
    powerup.kind = randomRange(1, 4);
    // On a wall: withdrawn unseen, and drawn again in the next update.
    if (powerupOverlapsBlock(powerup.x, powerup.y)) {
        spawnTimer = 0;
        powerup.life = 0;
    }
}

void updateEffects() {
    for (int j = 0; j < playerCount; ++j) {
        Player& player = players[j];
        if (player.powerupTimer > 0)
            player.powerupTimer -= 1;
        else
            player.powerupKind = NoPowerup;
        if (powerup.life > 0) {
            const float dx = player.x - powerup.x, dy = player.y - powerup.y;
            if (dx * dx + dy * dy < COLLECT_DISTANCE_SQUARED) {
                player.powerupTimer = EFFECT_DURATION;
                player.powerupKind = powerup.kind;
                powerup.life = 0;
            }
        }
    }
}

}  // namespace

void seedRandom(uint32_t seed) { randomState = seed; }

uint32_t nextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return (randomState >> 16) & 0x7FFF;
}

int randomRange(int a, int b) {
    const double r = static_cast<double>(nextRandom());
    return static_cast<int>(r * (1.0 / 32767) * (b - a) + a + 0.5);
}

void setFixedRandomSeed(bool fixed, uint32_t seed) {
    fixedSeedSet = fixed;
    fixedSeed = seed;
}

void resetPowerup() {
    powerup.life = 0;
    seedRandom(fixedSeedSet ? fixedSeed : static_cast<uint32_t>(std::time(nullptr)));
}

void updatePowerup() {
    updateEffects();
    shieldPulse += shieldPulseStep;
    if (shieldPulse <= 0.15f || shieldPulse >= 0.4f) shieldPulseStep = -shieldPulseStep;
    if (powerup.life > 0)
        powerup.life -= 1;
    else
        spawnStep();
    advanceSpin(powerupSpin, 2.0f);
}
