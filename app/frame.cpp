// The window procedure, the frame with its view layout, and the projection set-up.
#include "app/app.h"

#include "game/frame.h"
#include "game/game.h"
#include "platform/keys.h"
#include "render/render.h"
#include "ui/title.h"

#include <GL/gl.h>
#include <GL/glu.h>

bool windowActive = true;

void ShellWindow::keyDown(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256) KeyState[virtualKey] = 1;
    if (KeyState[vk::F12]) platform::postQuit(0);
}

void ShellWindow::keyUp(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256) KeyState[virtualKey] = 0;
}

void ShellWindow::resized(int width, int height) { resizeGL(width, height); }

void ShellWindow::activated(bool minimised) { windowActive = !minimised; }

void ShellWindow::closeRequested() { platform::postQuit(0); }

void ShellWindow::frameTick() {
    if (!windowActive) return;
    renderFrame();
    platform::swapBuffers();
}

namespace {
// The aspect is a single-precision ratio of the view's size in pixels.
void loadPerspective(int width, int height) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, static_cast<double>(aspect), NEAR_PLANE, FAR_PLANE);
}
}  // namespace

void resizeGL(int width, int height) {
    if (height == 0) height = 1;
    windowWidth = width;
    windowHeight = height;
    glViewport(0, 0, width, height);
    loadPerspective(width, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// One view fills the window; split screen gives each player a half with a two-pixel divider
// (columns half - 1 and half) left in the clear colour.
void applyViewLayout(int index, int views) {
    if (views == 1) {
        glViewport(0, 0, windowWidth, windowHeight);
        loadPerspective(windowWidth, windowHeight);
    } else {
        int half = windowWidth / 2;
        glViewport(index == 0 ? 0 : half + 1, 0, half - 1, windowHeight);
        loadPerspective(half, windowHeight);
    }
    glMatrixMode(GL_MODELVIEW);
}

void renderFrame() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    int cameras[2] = {1, 1};
    int views = frameViews(cameras);
    for (int view = 0; view < views; ++view) {
        activeCamera = cameras[view];
        applyViewLayout(view, views);
        drawScene(view == 0);
    }

    switch (runFrameRules()) {
    case FrameBranch::Title:
        drawTitle(0.0f, 0.4f, -1.5f, 0.023f);
        startTitleMusic();
        break;
    case FrameBranch::Match:
        stopTitleMusic();
        break;
    case FrameBranch::Countdown:  // neither advances; the music goes on unchanged
        break;
    }
    endFrame();
}
