// The view layout (render/view_layout.cpp) and the frame, read back from GL and from the pixels.
#include "shell_fixture.h"

#include "game/game.h"
#include "game/input_sources.h"
#include "platform/keys.h"
#include "render/render.h"

#include <GL/gl.h>

#include <cmath>

namespace {

struct Layout {
    GLint viewport[4];
    double aspect;
};

// The current viewport and the aspect ratio encoded in the projection matrix.
Layout readLayout() {
    Layout layout{};
    glGetIntegerv(GL_VIEWPORT, layout.viewport);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    layout.aspect = projection[5] / projection[0];
    // The field of view is 45 degrees and the planes 0.1 and 150.
    EXPECT_NEAR(projection[5], 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-5);
    double nearPlane = projection[14] / (projection[10] - 1.0);
    double farPlane = projection[14] / (projection[10] + 1.0);
    EXPECT_NEAR(nearPlane, 0.1, 1e-5);
    EXPECT_NEAR(farPlane, 150.0, 0.05);  // the matrix is kept in single precision
    return layout;
}

void expectViewport(const Layout& layout, int x, int y, int w, int h) {
    EXPECT_EQ(layout.viewport[0], x);
    EXPECT_EQ(layout.viewport[1], y);
    EXPECT_EQ(layout.viewport[2], w);
    EXPECT_EQ(layout.viewport[3], h);
}

using FrameTest = ShellTest;

TEST_F(FrameTest, ResizeTakesAHeightOfZeroAsOne) {
    openWindow(320, 200);
    resizeGL(640, 0);
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(windowHeight, 1);
    Layout layout = readLayout();
    expectViewport(layout, 0, 0, 640, 1);
    EXPECT_NEAR(layout.aspect, 640.0, 1e-3);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(FrameTest, OneViewFillsTheWindow) {
    openWindow(320, 200);
    resizeGL(800, 600);
    applyViewLayout(0, 1);
    Layout layout = readLayout();
    expectViewport(layout, 0, 0, 800, 600);
    EXPECT_NEAR(layout.aspect, 800.0 / 600.0, 1e-5);
}

TEST_F(FrameTest, SplitScreenHalvesLeaveATwoPixelDivider) {
    openWindow(320, 200);
    resizeGL(800, 600);
    applyViewLayout(0, 2);
    Layout left = readLayout();
    expectViewport(left, 0, 0, 399, 600);
    EXPECT_NEAR(left.aspect, 400.0 / 600.0, 1e-5);  // the half, not the viewport's width
    applyViewLayout(1, 2);
    Layout right = readLayout();
    expectViewport(right, 401, 0, 399, 600);
    EXPECT_NEAR(right.aspect, 400.0 / 600.0, 1e-5);

    // An odd width: half = 400, the right view starts at 401 and is 399 wide.
    resizeGL(801, 300);
    applyViewLayout(0, 2);
    expectViewport(readLayout(), 0, 0, 399, 300);
    applyViewLayout(1, 2);
    right = readLayout();
    expectViewport(right, 401, 0, 399, 300);
    EXPECT_NEAR(right.aspect, 400.0 / 300.0, 1e-5);
}

// Reads one column of the back buffer and tells whether all of it is the clear colour.
bool columnIsClearColour(int x, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, 0, 1, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    for (int y = 0; y < height; ++y) {
        const unsigned char* p = &pixels[static_cast<size_t>(y) * 3];
        if (std::abs(p[0] - 51) > 1 || std::abs(p[1] - 153) > 1 || std::abs(p[2] - 204) > 1) return false;
    }
    return true;
}

TEST_F(FrameTest, SplitScreenFrameKeepsTheDividerInTheClearColour) {
    openWindow(801, 300);
    initGame(game, 1);
    game.matchRunning = true;
    viewer.viewMode = SplitView;
    game.hitCountdown = -1;
    float before = game.frameTime;
    renderFrame();
    EXPECT_NEAR(game.frameTime - before, 0.01f, 1e-6);
    EXPECT_TRUE(columnIsClearColour(399, 300));
    EXPECT_TRUE(columnIsClearColour(400, 300));
    EXPECT_TRUE(columnIsClearColour(800, 300));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 401);  // the right view was drawn last
    game.matchRunning = false;
    releaseGame(game);
}

TEST_F(FrameTest, SplitScreenHitPauseLasts151FramesAndEachHalfKeepsItsView) {
    openWindow(800, 600);
    initGame(game, 1);
    game.matchRunning = true;
    viewer.viewMode = SplitView;
    game.hitCountdown = 150;
    game.hitPlayer = 1;
    int frames = 0;
    while (game.hitCountdown >= 0 && frames < 400) {
        renderFrame();
        if (++frames == 1) {
            // The digits cover the window, then the right half's own view is back for its
            // shields and game.powerup.
            Layout right = readLayout();
            expectViewport(right, 401, 0, 399, 600);
            EXPECT_NEAR(right.aspect, 400.0 / 600.0, 1e-5);
        }
    }
    EXPECT_EQ(frames, 151);
    game.matchRunning = false;
    releaseGame(game);
}

// Darkness of the middle of the window's left edge, where the paused mark has no letters.
int brightnessAtLeftMiddle(int height) {
    unsigned char p[3];
    glReadBuffer(GL_BACK);
    glReadPixels(4, height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return p[0] + p[1] + p[2];
}

TEST_F(FrameTest, PausedFramesKeepThePictureUnderAMarkAcrossBothViews) {
    openWindow(400, 300);
    initGame(game, 1);
    game.matchRunning = true;
    viewer.viewMode = SplitView;
    game.hitCountdown = -1;
    renderFrame();
    const int running = brightnessAtLeftMiddle(300);
    const float x = game.players[0].x, time = game.frameTime;
    KeyState[vk::letter('P')] = 1;
    KeyState[vk::letter('W')] = 1;
    renderFrame();
    renderFrame();
    EXPECT_TRUE(game.matchPaused);
    EXPECT_EQ(game.players[0].x, x);
    EXPECT_EQ(game.frameTime, time);
    EXPECT_LT(brightnessAtLeftMiddle(300), running * 2 / 3);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);  // the mark spans the whole window
    KeyState[vk::letter('P')] = 0;
    KeyState[vk::letter('W')] = 0;
    game.matchRunning = false;
    renderFrame();
    EXPECT_FALSE(game.matchPaused);
    releaseGame(game);
}

TEST_F(FrameTest, TitleFrameUsesOneViewWhateverTheViewMode) {
    openWindow(400, 300);
    initGame(game, 1);
    game.matchRunning = false;
    viewer.viewMode = SplitView;
    game.hitCountdown = -1;
    renderFrame();
    EXPECT_EQ(activeCamera, 1);  // the orbit behind the title screen
    releaseGame(game);
}

}  // namespace
