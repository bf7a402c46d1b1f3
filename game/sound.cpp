// Sound effects through the single-voice wave player: one sound at a time. The engine loop is
// started with NOSTOP so that it never cuts off a shot or an explosion; it is retried in the next
// driving update instead.
#include "game/game.h"
#include "platform/platform.h"

namespace {

const char* const ENGINE_WAVE = "data/TankDrive.wav";
const char* const SHOT_WAVE = "data/TankShoot.wav";
const char* const EXPLOSION_WAVE = "data/TankExplosion.wav";

bool engineLoopPlaying = false;  // true once this code started the loop and nothing replaced it

}  // namespace

void engineLoopOn() {
    if (engineLoopPlaying) return;
    if (platform::playWave(ENGINE_WAVE, platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP))
        engineLoopPlaying = true;
}

void engineLoopOff() {
    if (!engineLoopPlaying) return;  // never cuts off a shot or an explosion
    platform::playWave(nullptr, 0);
    engineLoopPlaying = false;
}

void playShotSound() {
    platform::playWave(SHOT_WAVE, platform::WAVE_ASYNC);
    engineLoopPlaying = false;
}

void playExplosionSound() {
    platform::playWave(EXPLOSION_WAVE, platform::WAVE_ASYNC);
    engineLoopPlaying = false;
}

void resetSoundState() { engineLoopPlaying = false; }
