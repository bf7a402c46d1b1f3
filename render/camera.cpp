// The six cameras and the look-at matrix they are applied with.
#include <GL/gl.h>

#include <cmath>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"

int32_t activeCamera = 0;

namespace {

LookAt overview() { return {{0, 0, 80}, {0, 0, 0}, {0, 1, 0}}; }

// Behind the tank, looking over it along the hull.
LookAt chase(const Player& pl) {
    const float h = pl.heading * DEG_TO_RAD;
    return {{pl.x - 8 * std::cos(h), pl.y - 8 * std::sin(h), 3},
            {pl.x + 8 * std::cos(h), pl.y + 8 * std::sin(h), 0},
            {0, 0, 1}};
}

// From the turret, looking along the barrel (hull and turret angles added in degrees first).
LookAt turret(const Player& pl) {
    const float c = (pl.heading + pl.turretAngle) * DEG_TO_RAD;
    return {{pl.x, pl.y, 2}, {pl.x + 8 * std::cos(c), pl.y + 8 * std::sin(c), 0}, {0, 0, 1}};
}

bool hasPlayer(const GameState& game, int p) { return p < game.playerCount; }

void normalise(float v[3]) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;  // degenerate view: leave the zero vector, as the GL routine does
    for (int i = 0; i < 3; ++i) v[i] /= length;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

LookAt cameraLookAt(const GameState& game, int camera) {
    switch (camera) {
    case 1: {
        const float t = game.frameTime;
        return {{20 + 30 * std::sin(t), 20 + 30 * std::cos(t), 5}, {0, 0, 0}, {0, 0, 1}};
    }
    case 2:
    case 3:
        // A camera of a player who does not exist falls back to the overview.
        return hasPlayer(game, camera - 2) ? chase(game.players[camera - 2]) : overview();
    case 4:
    case 5:
        return hasPlayer(game, camera - 4) ? turret(game.players[camera - 4]) : overview();
    default:
        return overview();
    }
}

void lookAtMatrix(const LookAt& view, float m[16]) {
    float forward[3] = {view.centre[0] - view.eye[0], view.centre[1] - view.eye[1],
                        view.centre[2] - view.eye[2]};
    normalise(forward);
    float side[3];
    cross(forward, view.up, side);
    normalise(side);
    float up[3];
    cross(side, forward, up);

    // Rows side, up, -forward; then the eye moved to the origin.
    const float rows[3][3] = {{side[0], side[1], side[2]},
                              {up[0], up[1], up[2]},
                              {-forward[0], -forward[1], -forward[2]}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m[c * 4 + r] = rows[r][c];
        m[12 + r] = -(rows[r][0] * view.eye[0] + rows[r][1] * view.eye[1] + rows[r][2] * view.eye[2]);
        m[r * 4 + 3] = 0.0f;
    }
    m[15] = 1.0f;
}

void applyCamera(const GameState& game) {
    float m[16];
    lookAtMatrix(cameraLookAt(game, activeCamera), m);
    glMultMatrixf(m);
}
