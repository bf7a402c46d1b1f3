#include "game/frame_rules.h"

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

namespace {
// A single-precision clock that only grows loses its step after some hours (at 32768 the 0.01
// rounds to 0.0117, later to nothing). Just below that it is taken back by 5215 whole turns of
// the orbit, worked out in double precision so that the camera does not jump: every frame of
// the first nine hours stays as it was, and the pace holds for as long as the program runs.
constexpr double ORBIT_TURNS_KEPT = 5215 * 6.283185307179586;  // 32767.07 radians

// The spin angles grow by whole degrees, which a float holds exactly only up to 2^24; beyond
// that the steps change (the bullets' after some 9 hours of matches) and finally vanish (after
// some 75). Just below 2^24 they shed whole turns: whole numbers, so the angle stays exact and
// the same modulo 360, and every frame before that stays as it was.
constexpr float SPIN_TURNS_KEPT = 46000 * 360.0f;  // 16,560,000 degrees
}  // namespace

void advanceSpin(float& spin, float degrees) {
    spin += degrees;
    if (spin >= SPIN_TURNS_KEPT) spin -= SPIN_TURNS_KEPT;
}

void endFrame() {
    if (matchPaused) return;
    frameTime += 0.01f;
    if (frameTime >= ORBIT_TURNS_KEPT) frameTime = static_cast<float>(frameTime - ORBIT_TURNS_KEPT);
}
