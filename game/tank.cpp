// One control step of a tank: track scroll, bullet steering, hull, turret, drive and fire.
// Every move and turn is first put to tryMove; a refused one simply does not happen.

#include "game/game.h"
#include "game/stable_trig.h"

namespace {

constexpr float HULL_TURN = 0.5f;
constexpr float TURRET_TURN = 0.4f;
constexpr float DRIVE_STEP = 0.075f;
constexpr float TRACK_FULL = 0.03f;
constexpr float TRACK_HALF = TRACK_FULL * 0.5f;
constexpr float BULLET_STEER = 1.0f;
constexpr float MUZZLE_STEPS = 7.0f;
constexpr float PI_F = 3.1415927f;

// Track texture scroll by the keys held (drawing only): driving scrolls both tracks, a hull turn
// slows the inner track to half; turning on the spot runs the tracks in opposite directions.
void scrollTracks(Player& player, bool forward, bool backward, bool left, bool right) {
    float rightScroll = 0, leftScroll = 0;
    if (forward || backward) {
        const float sign = forward ? 1.0f : -1.0f;
        if (left) {
            rightScroll = forward ? TRACK_FULL : TRACK_HALF;
            leftScroll = forward ? TRACK_HALF : TRACK_FULL;
        } else if (right) {
            rightScroll = forward ? TRACK_HALF : TRACK_FULL;
            leftScroll = forward ? TRACK_FULL : TRACK_HALF;
        } else {
            rightScroll = leftScroll = TRACK_FULL;
        }
        rightScroll *= sign;
        leftScroll *= sign;
    } else if (left) {
        rightScroll = TRACK_HALF;
        leftScroll = -TRACK_HALF;
    } else if (right) {
        rightScroll = -TRACK_HALF;
        leftScroll = TRACK_HALF;
    }
    player.rightTrackScroll += rightScroll;
    player.leftTrackScroll += leftScroll;
    if (player.leftTrackScroll > 2) player.leftTrackScroll -= 1;
    if (player.rightTrackScroll > 2) player.rightTrackScroll -= 1;
    if (player.leftTrackScroll < 0) player.leftTrackScroll += 1;
    if (player.rightTrackScroll < 0) player.rightTrackScroll += 1;
}

// A shot uses up the fire press: the next one needs a new press (or the keyboard's auto-repeat).
void fire(GameState& game, int p, FrameResult& result) {
    Player& player = game.players[p];
    Bullet& bullet = game.bullets[p];
    if (player.powerupKind == RapidFire) bullet.life = 0;  // the live bullet is replaced at once
    if (bullet.life > 0) return;  // the key stays held: the next shot leaves when the bullet is gone
    const float g = player.turretAngle + player.heading;
    bullet.vx = BULLET_SPEED * stableCos(g * DEG_TO_RAD);
    bullet.vy = BULLET_SPEED * stableSin(g * DEG_TO_RAD);
    bullet.heading = g;
    bullet.x = player.x + MUZZLE_STEPS * bullet.vx;
    bullet.y = player.y + MUZZLE_STEPS * bullet.vy;
    bullet.life = player.powerupKind == RapidFire ? RAPID_BULLET_LIFE : BULLET_LIFE;
    game.fireLatch[p] = false;
    addSound(result, SoundEvent::Shot);
}

}  // namespace

void controlTank(GameState& game, int p, Controls controls, int mouseStep, FrameResult& result) {
    if (p < 0 || p >= game.playerCount) return;
    Player& player = game.players[p];
    Bullet& bullet = game.bullets[p];
    const bool left = controls & HullLeft, right = controls & HullRight;
    const bool forward = controls & Forward, backward = controls & Backward;

    // The drive direction is taken before the hull turns in this step.
    float a = player.heading * DEG_TO_RAD;
    if (backward) a += PI_F;
    const float dx = DRIVE_STEP * stableCos(a), dy = DRIVE_STEP * stableSin(a);

    scrollTracks(player, forward, backward, left, right);

    // The hull keys steer the live bullet in every variant; only Steerable bullets follow it.
    if (left && bullet.life >= 0) bullet.heading += BULLET_STEER;
    if (right && bullet.life >= 0) bullet.heading -= BULLET_STEER;

    if (left && tryMove(game, p, 0, 0, HULL_TURN, 0)) {
        player.heading += HULL_TURN;
        game.engineWanted = true;
    }
    if (right && tryMove(game, p, 0, 0, -HULL_TURN, 0)) {
        player.heading -= HULL_TURN;
        game.engineWanted = true;
    }

    if ((controls & TurretRight) && tryMove(game, p, 0, 0, 0, -TURRET_TURN)) player.turretAngle -= TURRET_TURN;
    if (((controls & TurretLeft) || mouseStep == -1) && tryMove(game, p, 0, 0, 0, TURRET_TURN))
        player.turretAngle += TURRET_TURN;

    if ((forward || backward) && tryMove(game, p, dx, dy, 0, 0)) {
        player.x += dx;
        player.y += dy;
        game.engineWanted = true;
    }

    if (game.fireLatch[p]) fire(game, p, result);
}
