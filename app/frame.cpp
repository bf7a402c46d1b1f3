// The window procedure and the frame.
#include "app/app.h"
#include "app/command_line.h"

#include "game/computer.h"
#include "game/frame_rules.h"
#include "game/game.h"
#include "game/input_sources.h"
#include "platform/keys.h"
#include "render/render.h"
#include "game/replay_folder.h"
#include "ui/title.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <ctime>

bool windowActive = true;
int playerLevels[2] = {PERSON, PERSON};

namespace {
ComputerPlayer computers[2];
TitleAnimation titleAnimation;  // goes on from where it was whenever the title comes back
}  // namespace
GameState game;
Viewer viewer;
SoundPlayer sounds;

void setPlayerLevel(int p, int level) {
    if (p < 0 || p > 1) return;
    playerLevels[p] = level;
    if (level != PERSON) computers[p] = makeComputer(level, static_cast<uint32_t>(std::time(nullptr)) + p);
    setTitlePlayers(playerLevels);
}

namespace {
void quit() {
    leaveOnline();
    platform::postQuit(0);
}

// The title screen's own keys, once per press: F4 the last replay, F5 and F6 who plays each tank
// (none of them while online), F7 hosts and F8 joins an online game, and Escape stops hosting or
// joining.
void titleKey(int virtualKey) {
    const bool online = onlineSessionOpen();
    if ((virtualKey == vk::F5 || virtualKey == vk::F6) && !online) {
        const int p = virtualKey == vk::F5 ? 0 : 1;
        setPlayerLevel(p, nextPlayerLevel(playerLevels[p]));
    }
    if (virtualKey == vk::F4 && !online) startReplay(newestReplayFile());
    if (virtualKey == vk::F7 && !online) hostOnline(0);
    if (virtualKey == vk::F8 && !online) startTypingAddress();
    if (virtualKey == vk::ESCAPE && online) stopWaitingOnline();
}
}  // namespace

void ShellWindow::keyDown(int virtualKey) {
    if (virtualKey == vk::F11 && !KeyState[vk::F11]) toggleFullScreen();  // not again on auto-repeat
    if (typingAddress()) {
        addressKey(virtualKey);  // the game sees no key while an address is typed
    } else {
        const bool titleShown = !game.matchRunning && game.hitCountdown < 0;
        if (titleShown && !playingBack() && !KeyState[virtualKey]) titleKey(virtualKey);
        pressKey(virtualKey, KEYBOARD);
        pressKey(laptopAlternative(virtualKey), LAPTOP_KEYS);
    }
    if (virtualKey == vk::F12 || KeyState[vk::F12]) quit();
}

void ShellWindow::textTyped(const std::string& utf8) { addressTyped(utf8); }

void ShellWindow::keyUp(int virtualKey) {
    releaseKey(virtualKey, KEYBOARD);
    releaseKey(laptopAlternative(virtualKey), LAPTOP_KEYS);
    if (virtualKey == vk::RETURN) altEnterHeld_ = false;
}

// Alt+Enter: Enter with Alt held is a system key.
void ShellWindow::systemKeyDown(int virtualKey) {
    if (virtualKey != vk::RETURN || altEnterHeld_) return;
    altEnterHeld_ = true;
    toggleFullScreen();
}

void ShellWindow::padControl(int pad, platform::PadControl control, bool down) {
    const int c = static_cast<int>(control);
    if (pad < 0 || pad >= platform::MAX_PADS || c < 0 || c >= platform::PAD_CONTROLS) return;
    int& key = padKeys_[pad][c];
    if (key) releaseKey(key, FIRST_PAD << pad);
    key = down && !typingAddress() ? padKey(pad, control) : 0;
    pressKey(key, FIRST_PAD << pad);
}

void ShellWindow::resized(int width, int height) { resizeGL(width, height); }

void ShellWindow::activated(bool minimised) { windowActive = !minimised; }

void ShellWindow::closeRequested() { quit(); }

void ShellWindow::frameTick() {
    if (!windowActive) {
        if (onlineSessionOpen()) runUnseenFrame();  // the other side must not wait for this one
        return;
    }
    renderFrame();
    static SwapWatch watch;
    const auto start = std::chrono::steady_clock::now();
    platform::swapBuffers();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (watch.swapTook(took.count()))
        std::fprintf(stderr, SLOW_SWAP_WARNING, took.count());
}

bool SwapWatch::swapTook(double milliseconds) {
    constexpr int RUN = 100;
    if (said_) return false;
    slow_ += milliseconds > platform::FRAME_PERIOD_MS;
    if (++swaps_ < RUN) return false;
    said_ = slow_ > RUN / 2;
    swaps_ = slow_ = 0;
    return said_;
}

namespace {

// A tank the computer plays takes its controls from the computer, which sees the game as it is
// before the frame; a new match gives each computer a fresh start.
void playComputers(FrameInput& input) {
    const ComputerSight sight = sightOf(game);
    for (int p = 0; p < 2; ++p)
        if (playerLevels[p] != PERSON) input.controls[p] = thinkComputer(computers[p], p, sight);
}

// The live game's frame: the keys' (or the computers') input advances it and is recorded.
FrameResult liveFrame() {
    FrameInput input = keyFrameInput(mouseStep, static_cast<uint32_t>(std::time(nullptr)));
    playComputers(input);
    recordBeforeLiveFrame();
    const bool wasRunning = game.matchRunning;
    const FrameResult result = advanceFrame(game, input);
    if (game.matchRunning && !wasRunning) {
        for (int p = 0; p < 2; ++p)
            if (playerLevels[p] != PERSON) computers[p] = makeComputer(playerLevels[p], input.clock + p);
        forgetOnlineNews();  // how the last online game ended is old news now
    }
    recordAfterLiveFrame(input);
    return result;
}

void drawViews(const GameState& shown) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    int cameras[2] = {1, 1};
    const int views = frameViews(shown, viewer, cameras);
    for (int view = 0; view < views; ++view) {
        activeCamera = cameras[view];
        applyViewLayout(view, views);
        drawScene(shown);
    }
}

// The frame's game advances (a replay, an online session or the live game), the viewer follows
// it and its sounds play.
FrameResult runFrame() {
    const FrameResult result = playingBack() ? playbackTick() : onlineSessionOpen() ? onlineFrame() : liveFrame();
    viewerAfterFrame(viewer, shownGame(), result);
    playFrameSounds(sounds, result);
    return result;
}
}  // namespace

void runUnseenFrame() { runFrame(); }

void renderFrame() {
    const FrameResult result = runFrame();
    drawViews(shownGame());
    switch (result.branch) {
    case FrameBranch::Title:
        drawTitle(advanceTitle(titleAnimation), 0.0f, 0.4f, -1.5f, 0.023f);
        drawTitleStatus(onlineStatusText());
        startTitleMusic();
        break;
    case FrameBranch::Match:
        stopTitleMusic();
        break;
    case FrameBranch::Countdown:  // neither advances; the music goes on unchanged
        break;
    case FrameBranch::Paused:  // over the whole window, split screen or not
        applyViewLayout(0, 1);
        drawPausedMark();
        break;
    }
    if (waitingForOtherPlayer()) {
        applyViewLayout(0, 1);
        drawWaitingMark();
    }
}
