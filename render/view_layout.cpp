// The window's views: their viewports and the one perspective projection that every view, the
// title screen, the paused mark and the lives display are drawn with.
#include <GL/gl.h>
#include <GL/glu.h>

#include "render/render.h"

int32_t windowWidth = WINDOW_WIDTH;
int32_t windowHeight = WINDOW_HEIGHT;

namespace {
constexpr double FIELD_OF_VIEW = 45.0;  // degrees, vertical
constexpr float NEAR_PLANE = 0.1f;
constexpr double FAR_PLANE = 150.0;

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
