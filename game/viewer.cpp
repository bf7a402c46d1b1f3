#include "game/viewer.h"

#include "game/input_sources.h"
#include "platform/keys.h"

namespace {

bool takeKey(int key) {
    if (!KeyState[key]) return false;
    KeyState[key] = 0;
    return true;
}

void takeViewKeys(Viewer& viewer, const GameState& game) {
    for (int d = 1; d <= 7; ++d)
        if (takeKey(vk::digit(d))) viewer.viewMode = d - 1;
    if (takeKey(vk::letter('Z')) && game.playerCount > 0) viewer.splitCamera[0] = 1 - viewer.splitCamera[0];
    if (takeKey(vk::numpad(1)) && game.playerCount > 1) viewer.splitCamera[1] = 1 - viewer.splitCamera[1];
}

}  // namespace

void viewerAfterFrame(Viewer& viewer, const GameState& game, const FrameResult& result) {
    if (result.playRestarted)
        for (int32_t& half : viewer.splitCamera) half = 0;
    if (result.branch == FrameBranch::Match) takeViewKeys(viewer, game);
}

int frameViews(const GameState& game, const Viewer& viewer, int cameras[2]) {
    // Outside a match the title screen shows over the orbiting camera.
    const int camera = game.matchRunning ? viewer.viewMode : OrbitView;
    if (camera >= OverviewView && camera < SplitView) {
        cameras[0] = camera;
        return 1;
    }
    // Split screen: player 0 on the left, player 1 on the right. Camera numbers 2/4 follow
    // player 0 and 3/5 player 1; each player's half picks chase (0) or turret (1).
    // Without two players (a failed start-up) both halves show the chase cameras.
    const bool havePlayers = game.playerCount >= 2;
    cameras[0] = 2 + (havePlayers ? 2 * viewer.splitCamera[0] : 0);
    cameras[1] = 3 + (havePlayers ? 2 * viewer.splitCamera[1] : 0);
    return 2;
}
