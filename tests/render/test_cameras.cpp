// The camera table and the look-at matrix it is applied with.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"
#include "tests/render/gl_support.h"

using testgl::world;

namespace {

constexpr float HALF_PI = 1.57079633f;

// The textbook look-at, in doubles, as an independent reference for the matrix.
void referenceLookAt(const LookAt& v, double m[16]) {
    double f[3] = {v.centre[0] - v.eye[0], v.centre[1] - v.eye[1], v.centre[2] - v.eye[2]};
    double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& c : f) c /= fl;
    double s[3] = {f[1] * v.up[2] - f[2] * v.up[1], f[2] * v.up[0] - f[0] * v.up[2],
                   f[0] * v.up[1] - f[1] * v.up[0]};
    double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& c : s) c /= sl;
    double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    const double* rows[3] = {s, u, f};
    const double sign[3] = {1, 1, -1};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m[c * 4 + r] = sign[r] * rows[r][c];
        m[12 + r] = -sign[r] * (rows[r][0] * v.eye[0] + rows[r][1] * v.eye[1] + rows[r][2] * v.eye[2]);
        m[r * 4 + 3] = 0;
    }
    m[15] = 1;
}

void expectVec(const float* got, float x, float y, float z) {
    EXPECT_NEAR(got[0], x, 1e-4f);
    EXPECT_NEAR(got[1], y, 1e-4f);
    EXPECT_NEAR(got[2], z, 1e-4f);
}

class CameraTable : public ::testing::Test {
protected:
    Player (&twoPlayers)[MAX_PLAYERS] = world.players;
    void SetUp() override {
        resetGameState(world);
        world.frameTime = 0;
    }
};

TEST_F(CameraTable, EveryRowPlacesEyeCentreAndUp) {
    // Overview, also for every number outside 1..5.
    for (int camera : {0, -1, 6, 7, 1000}) {
        LookAt v = cameraLookAt(world, camera);
        SCOPED_TRACE(camera);
        expectVec(v.eye, 0, 0, 80);
        expectVec(v.centre, 0, 0, 0);
        expectVec(v.up, 0, 1, 0);
    }

    // Orbit round (20, 20): at t = 0 the eye is at (20, 50, 5), at pi/2 at (50, 20, 5).
    LookAt orbit = cameraLookAt(world, 1);
    expectVec(orbit.eye, 20, 50, 5);
    world.frameTime = HALF_PI;
    orbit = cameraLookAt(world, 1);
    expectVec(orbit.eye, 50, 20, 5);
    expectVec(orbit.centre, 0, 0, 0);
    expectVec(orbit.up, 0, 0, 1);

    // Chase: player 0 at (10, 0) heading 0 is watched from behind and above.
    twoPlayers[0].x = 10;
    twoPlayers[0].heading = 0;
    LookAt chase = cameraLookAt(world, 2);
    expectVec(chase.eye, 2, 0, 3);
    expectVec(chase.centre, 18, 0, 0);
    expectVec(chase.up, 0, 0, 1);

    // Camera 3 follows player 1, not player 0.
    twoPlayers[1].x = -5;
    twoPlayers[1].y = 4;
    twoPlayers[1].heading = 90;
    LookAt chase1 = cameraLookAt(world, 3);
    expectVec(chase1.eye, -5, -4, 3);
    expectVec(chase1.centre, -5, 12, 0);

    // Turret: heading and turret angle add up (90 + 90 looks along -X).
    twoPlayers[0].heading = 90;
    twoPlayers[0].turretAngle = 90;
    LookAt turret = cameraLookAt(world, 4);
    expectVec(turret.eye, 10, 0, 2);
    expectVec(turret.centre, 2, 0, 0);
    expectVec(turret.up, 0, 0, 1);

    twoPlayers[1].turretAngle = -90;  // 90 - 90: player 1 looks along +X
    LookAt turret1 = cameraLookAt(world, 5);
    expectVec(turret1.eye, -5, 4, 2);
    expectVec(turret1.centre, 3, 4, 0);
}

TEST_F(CameraTable, PlayerCamerasWithoutPlayersFallBackToTheOverview) {
    world.playerCount = 0;
    for (int camera : {2, 3, 4, 5}) expectVec(cameraLookAt(world, camera).eye, 0, 0, 80);
    world.playerCount = 1;  // player 1 is missing
    expectVec(cameraLookAt(world, 3).eye, 0, 0, 80);
    expectVec(cameraLookAt(world, 5).eye, 0, 0, 80);
    twoPlayers[0].x = 10;
    expectVec(cameraLookAt(world, 2).eye, 2, 0, 3);
}

TEST_F(CameraTable, MatrixMatchesTheTextbookLookAt) {
    twoPlayers[0] = Player{};
    twoPlayers[0].x = 10;
    twoPlayers[0].heading = 37;
    twoPlayers[0].turretAngle = -151;
    world.frameTime = 2.3f;
    for (int camera = 0; camera <= 5; ++camera) {
        SCOPED_TRACE(camera);
        const LookAt v = cameraLookAt(world, camera);
        float got[16];
        double want[16];
        lookAtMatrix(v, got);
        referenceLookAt(v, want);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-4) << "element " << i;
    }
}

// applyCamera against the GL utility library's own look-at, on a real context.
class CameraOnContext : public testgl::GLTest {};

TEST_F(CameraOnContext, ApplyCameraEqualsGluLookAtForEveryRow) {
    world.players[0].x = 10;
    world.players[0].y = 0;
    world.players[0].heading = 0;
    world.players[1].heading = 90;
    world.players[1].turretAngle = 90;
    world.frameTime = HALF_PI;
    for (int camera : {0, 1, 2, 3, 4, 5, 9}) {
        SCOPED_TRACE(camera);
        activeCamera = camera;
        const LookAt v = cameraLookAt(world, camera);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(v.eye[0], v.eye[1], v.eye[2], v.centre[0], v.centre[1], v.centre[2], v.up[0],
                  v.up[1], v.up[2]);
        GLfloat want[16], got[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, want);
        glLoadIdentity();
        applyCamera(world);
        glGetFloatv(GL_MODELVIEW_MATRIX, got);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 2e-4f) << "element " << i;
    }
    // The chase camera of the table's example really stands at (2, 0, 3): the eye maps to the origin.
    activeCamera = 2;
    glLoadIdentity();
    applyCamera(world);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(m[r] * 2 + m[4 + r] * 0 + m[8 + r] * 3 + m[12 + r], 0, 1e-4);
}

}  // namespace
