// One flight step of a bullet: steering, walls (die or bounce by the variant), tanks, move.

#include "game/game.h"
#include "game/stable_trig.h"

namespace {

constexpr int OWN_TANK_SAFE_LIFE = 195;  // the shooter is safe while life >= this

void hitWalls(const GameState& game, Bullet& bullet, float nextX, float nextY) {
    // Every block is tested against the same next position; each block hit applies its rule,
    // so two blocks hit in one step reverse the same component twice.
    const Playfield& playfield = game.playfield;
    for (int b = 0; b < playfield.blockCount; ++b) {
        const PlayfieldBlock& block = playfield.blocks[b];
        if (!bulletHitsBlock(block, nextX, nextY)) continue;
        if (game.gameMode == Bouncing) {
            // Coming in through a vertical side reverses vx; through the top or bottom, vy.
            if (bullet.x < block.xMin - BULLET_WALL_MARGIN || bullet.x > block.xMax + BULLET_WALL_MARGIN)
                bullet.vx = -bullet.vx;
            else
                bullet.vy = -bullet.vy;
        } else {
            bullet.life = -1;
        }
    }
}

// True when the bullet's position lies in tank j's hull box, in the tank's own frame.
bool inHullBox(const Bullet& bullet, const Player& tank) {
    const float dx = bullet.x - tank.x;
    const float dy = bullet.y - tank.y;
    const float theta = -tank.heading * DEG_TO_RAD;
    const float c = stableCos(theta), s = stableSin(theta);
    const float u = dx * c - dy * s;  // along the tank's heading
    const float v = dx * s + dy * c;  // across it
    return -TANK_REAR <= u && u <= TANK_FRONT && -TANK_HALF_WIDTH <= v && v <= TANK_HALF_WIDTH;
}

// The shooter's safety is judged on the life the bullet had when this step began: a wall met
// in the same step empties the slot (life -1), which must not make a point-blank shot turn on
// the tank that fired it.
void hitTanks(GameState& game, int i, int32_t lifeAtStart, FrameResult& result) {
    Bullet& bullet = game.bullets[i];
    for (int j = 0; j < game.playerCount; ++j) {
        if (j == i && lifeAtStart >= OWN_TANK_SAFE_LIFE) continue;
        if (!inHullBox(bullet, game.players[j])) continue;
        Player& target = game.players[j];
        if (target.powerupKind == Shield) {
            target.powerupKind = NoPowerup;
            target.powerupTimer = 0;
            bullet.life = -1;
            return;  // the shield used the bullet up: it hits nothing else
        }
        hitTank(game, j, result);  // the bullet stays: the countdown freezes it until the restart empties it
    }
}

}  // namespace

void stepBullet(GameState& game, int i, FrameResult& result) {
    if (i < 0 || i >= game.playerCount) return;
    Bullet& bullet = game.bullets[i];
    if (bullet.life < 0) return;
    if (game.gameMode == Steerable) {
        bullet.vx = BULLET_SPEED * stableCos(bullet.heading * DEG_TO_RAD);
        bullet.vy = BULLET_SPEED * stableSin(bullet.heading * DEG_TO_RAD);
    }
    const int32_t lifeAtStart = bullet.life;
    const float nextX = bullet.x + bullet.vx;
    const float nextY = bullet.y + bullet.vy;
    hitWalls(game, bullet, nextX, nextY);
    hitTanks(game, i, lifeAtStart, result);  // tested at the position before this step's move
    bullet.x += bullet.vx;
    bullet.y += bullet.vy;
}

bool bulletHitsTank(const GameState& game, int j, int i) {
    if (i < 0 || i >= game.playerCount || j < 0 || j >= game.playerCount) return false;
    const Bullet& bullet = game.bullets[i];
    const Player& tank = game.players[j];
    if (j == i && bullet.life >= OWN_TANK_SAFE_LIFE) return false;
    return inHullBox(bullet, tank);
}
