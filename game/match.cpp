// Match flow: starting and leaving a match, one match update, a hit and the hit countdown.
#include <climits>

#include "game/game.h"

namespace {

void startMatch(GameState& game, GameMode mode, uint32_t clock, FrameResult& result) {
    game.gameMode = mode;
    game.matchRunning = true;
    game.matchPaused = false;
    for (int i = 0; i < game.playerCount; ++i) game.players[i].lives = START_LIVES;
    restartPlay(game, clock, result);
}

void stepBullets(GameState& game, FrameResult& result) {
    advanceSpin(game.bulletSpin, 10.0f);
    for (int i = 0; i < game.playerCount; ++i) {
        Bullet& bullet = game.bullets[i];
        // An empty slot keeps counting down; stop short of wrapping round to a live value.
        if (bullet.life > INT_MIN) bullet.life -= 1;
        stepBullet(game, i, result);
        if (game.players[i].powerupKind == BulletSpeed) stepBullet(game, i, result);
    }
}

void controlPlayer(GameState& game, int p, const FrameInput& input, FrameResult& result) {
    if (p >= game.playerCount) return;
    controlTank(game, p, input.controls[p], input.mouseStep, result);
    if (game.players[p].powerupKind == TankSpeed)
        controlTank(game, p, input.controls[p], input.mouseStep, result);
}

}  // namespace

void addSound(FrameResult& result, SoundEvent sound) {
    if (result.soundCount < MAX_FRAME_SOUNDS) result.sounds[result.soundCount++] = sound;
}

void startMatchKeys(GameState& game, const FrameInput& input, FrameResult& result) {
    if (game.hitCountdown >= 0) return;
    const GameKeys keys[3] = {StartRegularKey, StartBouncingKey, StartSteerableKey};
    const GameMode modes[3] = {Regular, Bouncing, Steerable};
    for (int k = 0; k < 3; ++k)
        if ((input.gameKeys & keys[k]) && !game.matchRunning) startMatch(game, modes[k], input.clock, result);
}

// Escape acts once per press: the latch is used up here.
bool leaveMatchKey(GameState& game, FrameResult& result) {
    if (game.hitCountdown >= 0 || !game.leaveLatch) return false;
    game.leaveLatch = false;
    game.matchRunning = false;
    game.matchPaused = false;
    addSound(result, SoundEvent::EngineOff);  // no match update runs on the title screen to stop it
    return true;
}

// Only a new press counts: a held key (auto-repeat keeps it down) toggles once.
void pauseKeys(GameState& game, const FrameInput& input, FrameResult& result) {
    const GameKeys keys[2] = {PauseLetterKey, PauseKey};
    bool pressed = false;
    for (int k = 0; k < 2; ++k) {
        const bool down = (input.gameKeys & keys[k]) != 0;
        pressed |= down && !game.pauseKeyWasDown[k];
        game.pauseKeyWasDown[k] = down;
    }
    if (!game.matchRunning) {
        game.matchPaused = false;
        return;
    }
    if (!pressed) return;
    game.matchPaused = !game.matchPaused;
    if (game.matchPaused) addSound(result, SoundEvent::EngineOff);  // silent until it drives again
}

void matchUpdate(GameState& game, const FrameInput& input, FrameResult& result) {
    stepBullets(game, result);
    game.engineWanted = false;
    controlPlayer(game, 0, input, result);
    controlPlayer(game, 1, input, result);
    addSound(result, game.engineWanted ? SoundEvent::EngineOn : SoundEvent::EngineOff);
    updatePowerup(game);
}

void hitTank(GameState& game, int j, FrameResult& result) {
    game.hitCountdown = HIT_COUNTDOWN_START;
    // Two hits in one update (a double-speed bullet, or both bullets) take two lives, but never
    // more than are left: a count below zero would be shown as nine lives.
    if (game.players[j].lives > 0) game.players[j].lives -= 1;
    game.hitPlayer = j;
    addSound(result, SoundEvent::Explosion);
}

void hitCountdownStep(GameState& game, const FrameInput& input, FrameResult& result) {
    if (game.hitCountdown < 0 || game.matchPaused) return;
    if (game.hitPlayer >= 0 && game.hitPlayer < game.playerCount)
        game.players[game.hitPlayer].turretAngle += 6.0f;
    if (game.hitCountdown == 0) restartPlay(game, input.clock, result);
    game.hitCountdown -= 1;
    for (int i = 0; i < game.playerCount; ++i)
        if (game.players[i].lives <= 0) game.matchRunning = false;
}
