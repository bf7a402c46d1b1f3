#include "game/frame.h"

#include "game/game.h"

int frameViews(int cameras[2]) {
    // Outside a match the title screen shows over the orbiting camera.
    const int camera = matchRunning ? viewMode : OrbitView;
    if (camera >= OverviewView && camera < SplitView) {
        cameras[0] = camera;
        return 1;
    }
    // Split screen: player 0 on the left, player 1 on the right. Camera numbers 2/4 follow
    // player 0 and 3/5 player 1; splitCamera picks chase (0) or turret (1).
    // Without player records (a failed start-up) both halves show the chase cameras.
    const bool havePlayers = playerCount >= 2 && players;
    cameras[0] = 2 + (havePlayers ? 2 * players[0].splitCamera : 0);
    cameras[1] = 3 + (havePlayers ? 2 * players[1].splitCamera : 0);
    return 2;
}

FrameBranch runFrameRules() {
    pauseKeys();
    if (hitCountdown >= 0) return matchPaused ? FrameBranch::Paused : FrameBranch::Countdown;
    startMatchKeys();
    if (leaveMatchKey()) return FrameBranch::Title;
    if (matchPaused) return FrameBranch::Paused;
    if (matchRunning) {
        matchUpdate();
        return FrameBranch::Match;
    }
    return FrameBranch::Title;
}

void endFrame() {
    if (!matchPaused) frameTime += 0.01f;
}
