// The fixed surroundings: floor, wall blocks and the sky backdrop. Unlit; shading comes from
// per-vertex colours and a brightness factor per wall face.
#include <GL/gl.h>

#include <initializer_list>

#include "game/game.h"
#include "render/scene_parts.h"

namespace {

constexpr float FLOOR_Z = -0.8f;
constexpr float WALL_TOP = 0.7f;

void shade(const PlayfieldBlock& b, float factor) {
    glColor3f(factor * b.red, factor * b.green, factor * b.blue);
}

void block(const PlayfieldBlock& b) {
    const float x1 = b.xMin, y1 = b.yMin, x2 = b.xMax, y2 = b.yMax;
    shade(b, 1.0f);  // top
    glVertex3f(x1, y1, WALL_TOP);
    glVertex3f(x1, y2, WALL_TOP);
    glVertex3f(x2, y2, WALL_TOP);
    glVertex3f(x2, y1, WALL_TOP);
    shade(b, 0.8f);  // the two sides facing along Y
    for (float y : {y1, y2}) {
        glVertex3f(x1, y, FLOOR_Z);
        glVertex3f(x2, y, FLOOR_Z);
        glVertex3f(x2, y, WALL_TOP);
        glVertex3f(x1, y, WALL_TOP);
    }
    shade(b, 0.6f);  // the two sides facing along X
    for (float x : {x1, x2}) {
        glVertex3f(x, y1, FLOOR_Z);
        glVertex3f(x, y2, FLOOR_Z);
        glVertex3f(x, y2, WALL_TOP);
        glVertex3f(x, y1, WALL_TOP);
    }
}

}  // namespace

void drawFloor() {
    glBegin(GL_QUADS);
    glColor3f(0, 0.5f, 0);
    glVertex3f(-43, 32, FLOOR_Z);
    glVertex3f(43, 32, FLOOR_Z);
    glColor3f(0.5f, 0.5f, 0);
    glVertex3f(43, -32, FLOOR_Z);
    glVertex3f(-43, -32, FLOOR_Z);
    glEnd();
}

void drawWalls(const GameState& game) {
    const Playfield& playfield = game.playfield;
    if (playfield.blocks == nullptr) return;
    glBegin(GL_QUADS);
    for (int i = 0; i < playfield.blockCount; ++i) block(playfield.blocks[i]);
    glEnd();
}

// In eye space at depth 120, wide enough for views up to an aspect of about 1.38.
void drawBackdrop() {
    glBegin(GL_QUADS);
    glColor3f(0, 1, 1);
    glVertex3f(-68.8f, 51.2f, -120);
    glVertex3f(68.8f, 51.2f, -120);
    glColor3f(0, 0, 0.9f);
    glVertex3f(68.8f, -51.2f, -120);
    glVertex3f(-68.8f, -51.2f, -120);
    glEnd();
}
