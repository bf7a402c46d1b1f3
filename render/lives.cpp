// The lives display of a hit pause: two large digits from a small built-in vector font.
#include <GL/gl.h>

#include <cstdint>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"

namespace {

// Design box 80 x 80 centred on the origin, y up. NEXT starts the next convex polygon.
#define NEXT 999, 999
#define END -999, -999

constexpr float Digit0[] = {-40, 20, -20, 40, 20, 40, 40, 20, NEXT,
                            -20, 40, -40, 20, -40, -20, -20, -40, NEXT,
                            -40, -20, -20, -40, 20, -40, 40, -20, NEXT,
                            20, 40, 40, 20, 40, -20, 20, -40, NEXT,
                            -40, 0, -20, 0, -10, -10, -10, -40, -20, -40, -40, -20, END};
constexpr float Digit1[] = {-20, 20, 0, 40, 20, 40, 20, 20, NEXT,
                            0, 40, 20, 40, 20, -40, 0, -40, END};
constexpr float Digit2[] = {-40, 20, -20, 40, 20, 40, 40, 20, NEXT,
                            -40, -40, 40, -40, 40, -20, -40, -20, NEXT,
                            20, 40, -40, -20, -40, -40, -20, -40, 40, 20, END};
constexpr float Digit3[] = {-40, 20, -20, 40, 20, 40, 40, 20, NEXT,
                            -40, -20, -20, -40, 20, -40, 40, -20, NEXT,
                            20, 40, 40, 20, 40, -20, 20, -40, NEXT,
                            0, 10, 40, 10, 40, -10, 0, -10, END};
constexpr float Digit4[] = {-20, 40, -20, -20, -40, 0, -40, 20, NEXT,
                            40, 20, 20, 20, 20, -40, 40, -40, NEXT,
                            -40, 0, 40, 0, 40, -20, -20, -20, END};
constexpr float Digit5[] = {-20, 40, -40, 20, 40, 20, 40, 40, NEXT,
                            -40, -40, -40, -20, 40, -20, 20, -40, NEXT,
                            -20, 40, -40, 20, -40, 0, -20, -10, NEXT,
                            20, -40, 40, -20, 40, 0, 20, 10, NEXT,
                            -40, 10, 20, 10, 40, -10, -20, -10, END};
constexpr float Digit6[] = {-20, 40, -40, 20, 40, 20, 20, 40, NEXT,
                            -20, 40, -40, 20, -40, -20, -20, -40, NEXT,
                            20, 10, 40, -10, 40, -20, 20, -40, NEXT,
                            -40, 10, 20, 10, 40, -10, -40, -10, NEXT,
                            -40, -20, -20, -40, 20, -40, 40, -20, END};
constexpr float Digit7[] = {-20, 40, -40, 20, 40, 20, 20, 40, NEXT,
                            40, 20, 40, 10, 20, 10, 20, 40, NEXT,
                            -10, -40, 10, -40, 10, -20, -10, -20, NEXT,
                            20, 10, -10, -20, 10, -20, 40, 10, END};
constexpr float Digit8[] = {-20, 40, -40, 20, 40, 20, 20, 40, NEXT,
                            -20, 40, -40, 20, -40, 10, -30, 0, -20, 0, NEXT,
                            -20, -40, -40, -20, -40, -10, -30, 0, -20, 0, NEXT,
                            20, 40, 40, 20, 40, 10, 30, 0, 20, 0, NEXT,
                            20, -40, 40, -20, 40, -10, 30, 0, 20, 0, NEXT,
                            -30, 5, 30, 5, 30, -5, -30, -5, NEXT,
                            -20, -40, -40, -20, 40, -20, 20, -40, END};
constexpr float Digit9[] = {20, -40, 40, -20, -40, -20, -20, -40, NEXT,
                            20, -40, 40, -20, 40, 20, 20, 40, NEXT,
                            -20, -10, -40, 10, -40, 20, -20, 40, NEXT,
                            40, -10, -20, -10, -40, 10, 40, 10, NEXT,
                            40, 20, 20, 40, -20, 40, -40, 20, END};

#undef NEXT
#undef END

}  // namespace

const float* const DigitGlyphs[10] = {Digit0, Digit1, Digit2, Digit3, Digit4,
                                      Digit5, Digit6, Digit7, Digit8, Digit9};

void drawDigit(int value, float cx, float cy, float z, float scale) {
    // Only the low byte counts; anything above 9 (a negative count too) shows a 9.
    unsigned digit = uint8_t(value);
    if (digit > 9) digit = 9;
    const float* point = DigitGlyphs[digit];
    glBegin(GL_POLYGON);
    for (; point[0] > -900; point += 2) {
        if (point[0] > 900) {  // next polygon
            glEnd();
            glBegin(GL_POLYGON);
            continue;
        }
        glVertex3f(cx + scale * point[0], cy + scale * point[1], z);
    }
    glEnd();
}

void drawLives(const GameState& game) {
    // Over the whole window, also in split screen; afterwards the view's own viewport and
    // projection are back, so that its shields and powerup keep their place and shape.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    applyViewLayout(0, 1);  // the modelview matrix is still the identity: the digits sit in eye space

    glColor3f(1, 1, 1);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    if (game.playerCount >= 2) {
        drawDigit(game.players[0].lives, -0.4f, 0, -1.5f, 0.005f);
        drawDigit(game.players[1].lives, 0.4f, 0, -1.5f, 0.005f);
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}
