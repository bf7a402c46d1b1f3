// Replays in the game: every match the window plays is recorded and written to the replay folder
// after it ends (on a thread of its own, so that no frame waits for the disk), and a replay file
// can be played back in the window instead of the live game, at normal or four times the speed.
#include "app/app.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>

#include "game/input_sources.h"
#include "game/replay_folder.h"
#include "game/replay_recorder.h"
#include "platform/keys.h"

namespace {

ReplayRecorder recorder;

// The last write, waited for before the next one and when the program ends.
struct BackgroundWriter {
    std::thread thread;
    ~BackgroundWriter() {
        if (thread.joinable()) thread.join();
    }
} writer;
std::unique_ptr<ReplayPlayback> playback;  // the replay being shown, if any
bool playbackPaused = false;
bool playbackFast = false;

void waitForWriter() {
    if (writer.thread.joinable()) writer.thread.join();
}

void writeInBackground(Replay&& replay) {
    waitForWriter();
    writer.thread = std::thread([finished = std::move(replay)] { writeReplayFile(finished); });
}

// A key that went down since the last frame, not held on by the keyboard's auto-repeat.
bool newPress(int key) {
    static bool wasDown[256];
    const bool pressed = KeyState[key] && !wasDown[key];
    wasDown[key] = KeyState[key] != 0;
    return pressed;
}

void endPlayback() {
    stopPlayback(*playback);
    playback.reset();
}

}  // namespace

void recordBeforeLiveFrame() { recordBeforeFrameOf(game); }

void recordAfterLiveFrame(const FrameInput& input) { recordAfterFrameOf(game, input); }

void recordBeforeFrameOf(const GameState& played) { recordBeforeFrame(recorder, played); }

void recordAfterFrameOf(const GameState& played, const FrameInput& input) {
    if (recordAfterFrame(recorder, played, input, static_cast<int64_t>(std::time(nullptr))))
        writeInBackground(std::move(recorder.replay));
}

void writeMatchUnderWay() {
    if (finishRecording(recorder)) writeInBackground(std::move(recorder.replay));
}

void finishReplays() {
    writeMatchUnderWay();
    waitForWriter();
    if (playback) endPlayback();
}

bool startReplay(const std::string& path) {
    if (path.empty()) return false;
    Replay replay;
    const ReplayProblem problem = readReplayFile(path, replay);
    if (problem != ReplayProblem::None) {
        const std::string text = path + " " + replayProblemText(problem);
        std::fprintf(stderr, "tarvex: %s\n", text.c_str());
        platform::errorBox(text);
        return false;
    }
    auto shown = std::make_unique<ReplayPlayback>();
    if (!startPlayback(*shown, std::move(replay))) {
        const std::string text = path + " " + replayProblemText(ReplayProblem::Inconsistent);
        std::fprintf(stderr, "tarvex: %s\n", text.c_str());
        platform::errorBox(text);
        return false;
    }
    if (playback) endPlayback();
    playback = std::move(shown);
    playbackPaused = playbackFast = false;
    return true;
}

bool playingBack() { return playback != nullptr; }

const GameState& shownGame() { return playback ? playback->game : game; }

FrameResult playbackTick() {
    FrameResult last;
    last.branch = FrameBranch::Match;
    if (!playback) return last;
    if (newPress(vk::ESCAPE)) {
        endPlayback();
        last.branch = FrameBranch::Title;
        return last;
    }
    const bool pausePressed = newPress(vk::letter('P')), pauseKeyPressed = newPress(vk::PAUSE);
    if (pausePressed || pauseKeyPressed) playbackPaused = !playbackPaused;
    if (newPress(vk::letter('F'))) playbackFast = !playbackFast;
    std::fill(std::begin(KeyPressed), std::end(KeyPressed), 0);  // the keys drive no live game now
    if (playbackPaused) {
        last.branch = FrameBranch::Paused;
        return last;
    }
    for (int step = 0; step < (playbackFast ? 4 : 1) && !playbackDone(*playback); ++step) {
        const FrameResult result = playbackFrame(*playback);
        // The sounds of every frame run; the branch and restarts of the last.
        for (int i = 0; i < result.soundCount && last.soundCount < MAX_FRAME_SOUNDS; ++i)
            last.sounds[last.soundCount++] = result.sounds[i];
        last.branch = result.branch;
        last.playRestarted |= result.playRestarted;
    }
    if (playbackDone(*playback)) {
        endPlayback();
        last.branch = FrameBranch::Title;
    }
    return last;
}
