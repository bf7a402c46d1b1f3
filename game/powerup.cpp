// Powerups: the random generator (seeded from the clock input at each reset), the spawn step, collection, effect timers and the two
// animation values the drawing uses.
#include "game/game.h"

namespace {

constexpr int POWERUP_FIELD_LIFE = 800;
constexpr float COLLECT_DISTANCE_SQUARED = 4.0f;  // tank centre within 2 units

void spawnStep(GameState& game) {
    int32_t& spawnTimer = game.spawnTimer;
    Powerup& powerup = game.powerup;
    spawnTimer -= 1;
    if (spawnTimer > 0) return;
    spawnTimer = randomRange(game, 500, 1500);
    powerup.life = POWERUP_FIELD_LIFE;
    powerup.x = static_cast<float>(randomRange(game, -42, 42));
    powerup.y = static_cast<float>(randomRange(game, -31, 31));
    powerup.kind = randomRange(game, 1, 4);
    // On a wall: withdrawn unseen, and drawn again in the next update.
    if (powerupOverlapsBlock(game.playfield, powerup.x, powerup.y)) {
        spawnTimer = 0;
        powerup.life = 0;
    }
}

void updateEffects(GameState& game) {
    Powerup& powerup = game.powerup;
    for (int j = 0; j < game.playerCount; ++j) {
        Player& player = game.players[j];
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

uint32_t nextRandom(GameState& game) {
    game.randomState = game.randomState * 214013u + 2531011u;
    return (game.randomState >> 16) & 0x7FFF;
}

int randomRange(GameState& game, int a, int b) {
    const double r = static_cast<double>(nextRandom(game));
    return static_cast<int>(r * (1.0 / 32767) * (b - a) + a + 0.5);
}

void resetPowerup(GameState& game, uint32_t clock) {
    game.powerup.life = 0;
    game.randomState = clock;
}

void updatePowerup(GameState& game) {
    updateEffects(game);
    game.shieldPulse += game.shieldPulseStep;
    if (game.shieldPulse <= 0.15f || game.shieldPulse >= 0.4f) game.shieldPulseStep = -game.shieldPulseStep;
    if (game.powerup.life > 0)
        game.powerup.life -= 1;
    else
        spawnStep(game);
    advanceSpin(game.powerupSpin, 2.0f);
}
