#include "game/frame_rules.h"

#include "platform/frame_tick.h"

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

// A press stays latched while its key is held, until a rule uses it; a release drops it.
bool latch(bool latched, bool held, bool pressed) { return held && (latched || pressed); }

void latchPresses(GameState& game, const FrameInput& input) {
    for (int p = 0; p < MAX_PLAYERS; ++p)
        game.fireLatch[p] = latch(game.fireLatch[p], input.controls[p] & FireHeld,
                                  input.controls[p] & FirePressed);
    game.leaveLatch = latch(game.leaveLatch, input.gameKeys & LeaveHeld, input.gameKeys & LeavePressed);
}

FrameBranch runFrameRules(GameState& game, const FrameInput& input, FrameResult& result) {
    pauseKeys(game, input, result);
    if (game.hitCountdown >= 0) return game.matchPaused ? FrameBranch::Paused : FrameBranch::Countdown;
    startMatchKeys(game, input, result);
    if (leaveMatchKey(game, result)) return FrameBranch::Title;
    if (game.matchPaused) return FrameBranch::Paused;
    if (game.matchRunning) {
        matchUpdate(game, input, result);
        return FrameBranch::Match;
    }
    return FrameBranch::Title;
}
}  // namespace

FrameResult advanceFrame(GameState& game, const FrameInput& input) {
    FrameResult result;
    latchPresses(game, input);
    if (game.hitCountdown >= 0) hitCountdownStep(game, input, result);
    result.branch = runFrameRules(game, input, result);
    endFrame(game);
    return result;
}

void advanceSpin(float& spin, float degrees) {
    spin += degrees;
    if (spin >= SPIN_TURNS_KEPT) spin -= SPIN_TURNS_KEPT;
}

void endFrame(GameState& game) {
    if (game.matchPaused) return;
    game.frameTime += platform::FRAME_SECONDS;
    if (game.frameTime >= ORBIT_TURNS_KEPT)
        game.frameTime = static_cast<float>(game.frameTime - ORBIT_TURNS_KEPT);
}
