// Match flow: starting and leaving a match, one match update, a hit and the hit countdown.
#include <climits>

#include "game/game.h"
#include "platform/keys.h"

namespace {

constexpr int HIT_COUNTDOWN_START = 150;

const int PauseKeys[2] = {vk::letter('P'), vk::PAUSE};
bool pauseKeyWasDown[2] = {false, false};

void startMatch(GameMode mode) {
    gameMode = mode;
    matchRunning = true;
    matchPaused = false;
    for (int i = 0; i < playerCount; ++i) players[i].lives = START_LIVES;
    restartPlay();
}

void stepBullets() {
    advanceSpin(bulletSpin, 10.0f);
    for (int i = 0; i < playerCount; ++i) {
        // An empty slot keeps counting down; stop short of wrapping round to a live value.
        if (bullets[i].life > INT_MIN) bullets[i].life -= 1;
        stepBullet(i);
        if (players[i].powerupKind == BulletSpeed) stepBullet(i);
    }
}

// Keys that act once per key-down: the entry is cleared when handled.
bool takeKey(int key) {
    if (!KeyState[key]) return false;
    KeyState[key] = 0;
    return true;
}

void handleViewKeys() {
    for (int d = 1; d <= 7; ++d)
        if (takeKey(vk::digit(d))) viewMode = d - 1;
    if (takeKey(vk::letter('Z')) && playerCount > 0)
        players[0].splitCamera = 1 - players[0].splitCamera;
    if (takeKey(vk::numpad(1)) && playerCount > 1)
        players[1].splitCamera = 1 - players[1].splitCamera;
}

void controlPlayer(int p, const TankKeys& keys) {
    if (p >= playerCount) return;
    controlTank(p, keys);
    if (players[p].powerupKind == TankSpeed) controlTank(p, keys);
}

}  // namespace

const TankKeys PlayerKeys[2] = {
    {vk::letter('A'), vk::letter('D'), vk::letter('Q'), vk::letter('E'), vk::letter('W'), vk::letter('S'),
     vk::letter('X')},
    {vk::numpad(4), vk::numpad(6), vk::numpad(7), vk::numpad(9), vk::numpad(8), vk::numpad(5), vk::numpad(2)}};

void startMatchKeys() {
    if (hitCountdown >= 0) return;
    const int keys[3] = {vk::F1, vk::F2, vk::F3};
    const GameMode modes[3] = {Regular, Bouncing, Steerable};
    for (int k = 0; k < 3; ++k)
        if (KeyState[keys[k]] && !matchRunning) startMatch(modes[k]);
}

bool leaveMatchKey() {
    if (hitCountdown >= 0 || !takeKey(vk::ESCAPE)) return false;
    matchRunning = false;
    matchPaused = false;
    engineLoopOff();  // no match update runs on the title screen to stop it later
    return true;
}

// Only a new press counts: a held key (auto-repeat sets its entry again) toggles once.
void pauseKeys() {
    bool pressed = false;
    for (int k = 0; k < 2; ++k) {
        const bool down = KeyState[PauseKeys[k]] != 0;
        pressed |= down && !pauseKeyWasDown[k];
        pauseKeyWasDown[k] = down;
    }
    if (!matchRunning) {
        matchPaused = false;
        return;
    }
    if (!pressed) return;
    matchPaused = !matchPaused;
    if (matchPaused) engineLoopOff();  // the engine is silent until the match drives again
}

void matchUpdate() {
    stepBullets();
    engineWanted = false;
    handleViewKeys();
    controlPlayer(0, PlayerKeys[0]);
    controlPlayer(1, PlayerKeys[1]);
    if (engineWanted)
        engineLoopOn();
    else
        engineLoopOff();
    updatePowerup();
}

void hitTank(int j) {
    hitCountdown = HIT_COUNTDOWN_START;
    // Two hits in one update (a double-speed bullet, or both bullets) take two lives, but never
    // more than are left: a count below zero would be shown as nine lives.
    if (players[j].lives > 0) players[j].lives -= 1;
    hitPlayer = j;
    playExplosionSound();
}

void hitCountdownStep() {
    if (hitCountdown < 0 || matchPaused) return;
    if (hitPlayer >= 0 && hitPlayer < playerCount) players[hitPlayer].turretAngle += 6.0f;
    if (hitCountdown == 0) restartPlay();
    hitCountdown -= 1;
    for (int i = 0; i < playerCount; ++i)
        if (players[i].lives <= 0) matchRunning = false;
}
