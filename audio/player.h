// The music player: a worker thread that plays the song. Each iteration waits for the 10 ms timer
// tick, advances the sequencer by one tick and mixes and writes one 882-frame block, which waits
// in the Mixer's writeBlock until the sound ring has room: that wait holds the thread to one
// block per 20 ms of played sound.
//
// The main thread touches the player, its mixer and the module only before the thread starts
// (start) and after it has ended (stop). A stopped player cannot play again; make a new one.
#pragma once

#include "audio/mixer.h"
#include "audio/stream_output.h"
#include "audio/worker_thread.h"
#include "music/module.h"
#include "music/sequencer.h"
#include "platform/threading.h"

#include <memory>

// Results of MusicPlayer::start.
enum : int {
    PLAYER_STARTED = 0,
    PLAYER_NOT_A_MODULE = 1,
    PLAYER_NO_OUTPUT = 2,
    PLAYER_NO_MIXER_OR_TIMER = 3
};

constexpr int PLAYER_TIMER_MS = 10;
constexpr int16_t PLAYER_CHANNELS = VOICE_COUNT;  // one mixer channel per song voice

class MusicPlayer : public WorkerThread {
public:
    // module is not owned and must outlive the player. window goes to the Mixer; opener gives
    // the Mixer its sound output.
    MusicPlayer(MusicModule* module, void* window, bool stereo,
                SoundOpener opener = openPlatformSound);
    ~MusicPlayer() override;  // stop, then the mixer is deleted

    // Parses the module, opens the mixer with its four channels panned left, right, right,
    // left, starts the 10 ms timer and the thread. 0 on success, 1 when the module is not one,
    // 2 when the sound output cannot be opened, 3 when the mixer, the timer event, the timer or
    // the thread is missing. What a failed start made is released by stop or the destructor.
    int start();
    // Ends the thread, then releases the timer, the timer event and the sound output; always 0.
    // Safe on a player that never started or has stopped already.
    int stop();
    bool runOnce() override;

    // For tests and measurements; read only while the thread is not running.
    Mixer* mixerInUse() { return mixer.get(); }
    bool timerRunning() const { return timer != nullptr && timer->running(); }
    bool hasTimerEvent() const { return timerEvent != nullptr; }

protected:
    void threadStarting() override;  // raises the new thread to time-critical priority

private:
    MusicModule* module;
    std::unique_ptr<Mixer> mixer;  // null if it could not be allocated; holds the window
    Sequencer sequencer;
    std::unique_ptr<platform::PeriodicTimer> timer;
    std::unique_ptr<platform::Event> timerEvent;
    bool stereo;
};
