// Sound effects through the single-voice wave player: one sound at a time. The engine loop is
// started with NOSTOP so that it never cuts off a shot or an explosion; it is retried in the next
// driving update instead.
#include "game/data_files.h"
#include "game/game.h"
#include "platform/platform.h"

namespace {

bool engineLoopPlaying = false;  // true once this code started the loop and nothing replaced it

}  // namespace

void engineLoopOn() {
    if (engineLoopPlaying) return;
    const unsigned flags = platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP;
    if (platform::playWave(dataFile(ENGINE_WAVE).c_str(), flags)) engineLoopPlaying = true;
}

void engineLoopOff() {
    if (!engineLoopPlaying) return;  // never cuts off a shot or an explosion
    platform::playWave(nullptr, 0);
    engineLoopPlaying = false;
}

void playShotSound() {
    platform::playWave(dataFile(SHOT_WAVE).c_str(), platform::WAVE_ASYNC);
    engineLoopPlaying = false;
}

void playExplosionSound() {
    platform::playWave(dataFile(EXPLOSION_WAVE).c_str(), platform::WAVE_ASYNC);
    engineLoopPlaying = false;
}

void resetSoundState() { engineLoopPlaying = false; }
