// Sound effects through the single-voice wave player: one sound at a time. The engine loop is
// started with NOSTOP so that it never cuts off a shot or an explosion; it is retried in the next
// driving update instead.
#include "game/sound.h"

#include "game/data_files.h"
#include "platform/platform.h"

namespace {

void engineLoopOn(SoundPlayer& sound) {
    if (sound.engineLoopPlaying) return;
    const unsigned flags = platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP;
    if (platform::playWave(dataFile(ENGINE_WAVE).c_str(), flags)) sound.engineLoopPlaying = true;
}

void engineLoopOff(SoundPlayer& sound) {
    if (!sound.engineLoopPlaying) return;  // never cuts off a shot or an explosion
    platform::playWave(nullptr, 0);
    sound.engineLoopPlaying = false;
}

void playOnce(SoundPlayer& sound, const char* file) {
    platform::playWave(dataFile(file).c_str(), platform::WAVE_ASYNC);
    sound.engineLoopPlaying = false;
}

}  // namespace

void playFrameSounds(SoundPlayer& sound, const FrameResult& result) {
    for (int i = 0; i < result.soundCount; ++i) {
        switch (result.sounds[i]) {
        case SoundEvent::Shot: playOnce(sound, SHOT_WAVE); break;
        case SoundEvent::Explosion: playOnce(sound, EXPLOSION_WAVE); break;
        case SoundEvent::EngineOn: engineLoopOn(sound); break;
        case SoundEvent::EngineOff: engineLoopOff(sound); break;
        }
    }
}
