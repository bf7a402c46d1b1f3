#include "audio/player.h"

#include "audio/mixer_offline.h"

#include <new>
#include <utility>

namespace {

std::unique_ptr<Mixer> makeMixer(void* window, MusicModule* module, SoundOpener opener) {
    std::unique_ptr<Mixer> mixer(new (std::nothrow) Mixer(window, module));
    if (mixer) mixer->soundOpener = std::move(opener);
    return mixer;
}

}  // namespace

MusicPlayer::MusicPlayer(MusicModule* module, void* window, bool stereo, SoundOpener opener)
    : module(module),
      mixer(makeMixer(window, module, std::move(opener))),
      sequencer(module, mixer.get()),
      stereo(stereo) {}

MusicPlayer::~MusicPlayer() {
    stop();
    mixer.reset();
}

int MusicPlayer::start() {
    if (threadStarted()) return PLAYER_STARTED;  // already playing: nothing to prepare again
    if (module == nullptr) return PLAYER_NOT_A_MODULE;
    const int parsed = module->parse();
    if (parsed != 0) return parsed;
    if (!mixer) return PLAYER_NO_MIXER_OR_TIMER;
    if (!mixer->open(PLAYER_CHANNELS, stereo)) return PLAYER_NO_OUTPUT;
    // In stereo, channels 0 and 3 sound on the left, 1 and 2 on the right.
    for (int16_t channel = 0; channel < PLAYER_CHANNELS; ++channel)
        mixer->setPan(channel, ChannelPans[channel]);
    // A stop request also ends a wait for room in the ring, so the thread always leaves quickly.
    mixer->stopEvent = &stopEvent;

    timerEvent.reset(new (std::nothrow) platform::Event(false));
    if (!timerEvent) return PLAYER_NO_MIXER_OR_TIMER;
    timer.reset(new (std::nothrow) platform::PeriodicTimer);
    if (!timer || !timer->start(PLAYER_TIMER_MS, *timerEvent)) return PLAYER_NO_MIXER_OR_TIMER;
    if (!startThread(false)) return PLAYER_NO_MIXER_OR_TIMER;
    return PLAYER_STARTED;
}

int MusicPlayer::stop() {
    // The thread is gone before the timer, the event and the sound output it uses are released.
    stopThread();
    if (timer) {
        timer->stop();
        timer.reset();
    }
    timerEvent.reset();
    if (mixer) mixer->close();
    return 0;
}

bool MusicPlayer::runOnce() {
    timerEvent->wait(PLAYER_TIMER_MS);  // a time-out counts like the tick
    sequencer.tick();
    return mixer->renderBlock();
}

void MusicPlayer::threadStarting() { platform::raiseThreadToTimeCritical(); }
