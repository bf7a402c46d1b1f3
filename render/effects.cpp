// The small moving things of a match: bullets, shields and the powerup on the field.
#include <GL/gl.h>

#include <initializer_list>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"

namespace {

struct Vertex { float x, y, z; };
struct CubeFace { float grey; Vertex v[4]; };

constexpr float E = 0.14f;  // half the bullet's edge
constexpr CubeFace BulletCube[6] = {
    {0.0f, {{-E, E, E}, {E, E, E}, {E, -E, E}, {-E, -E, E}}},
    {0.0f, {{-E, E, -E}, {E, E, -E}, {E, -E, -E}, {-E, -E, -E}}},
    {0.3f, {{-E, E, -E}, {-E, E, E}, {-E, -E, E}, {-E, -E, -E}}},
    {0.3f, {{E, E, -E}, {E, E, E}, {E, -E, E}, {E, -E, -E}}},
    {0.15f, {{-E, -E, -E}, {E, -E, -E}, {E, -E, E}, {-E, -E, E}}},
    {0.15f, {{-E, E, -E}, {E, E, -E}, {E, E, E}, {-E, E, E}}},
};

// Encloses the whole tank with a margin; open at the bottom.
constexpr Vertex ShieldBox[5][4] = {
    {{2.3f, 1.9f, 0.9f}, {-2.8f, 1.9f, 0.9f}, {-2.8f, -1.9f, 0.9f}, {2.3f, -1.9f, 0.9f}},
    {{2.3f, 1.9f, 0.9f}, {2.3f, 1.9f, -0.8f}, {2.3f, -1.9f, -0.8f}, {2.3f, -1.9f, 0.9f}},
    {{-2.8f, 1.9f, 0.9f}, {-2.8f, 1.9f, -0.8f}, {-2.8f, -1.9f, -0.8f}, {-2.8f, -1.9f, 0.9f}},
    {{2.3f, 1.9f, -0.8f}, {-2.8f, 1.9f, -0.8f}, {-2.8f, 1.9f, 0.9f}, {2.3f, 1.9f, 0.9f}},
    {{2.3f, -1.9f, -0.8f}, {-2.8f, -1.9f, -0.8f}, {-2.8f, -1.9f, 0.9f}, {2.3f, -1.9f, 0.9f}},
};

// The powerup box's sides, each mapping the whole filled pattern.
constexpr Vertex PowerupSides[4][4] = {
    {{1, 1, -0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}, {1, -1, -0.5f}},
    {{-1, 1, -0.5f}, {-1, 1, 0.5f}, {-1, -1, 0.5f}, {-1, -1, -0.5f}},
    {{1, 1, -0.5f}, {1, 1, 0.5f}, {-1, 1, 0.5f}, {-1, 1, -0.5f}},
    {{1, -1, -0.5f}, {1, -1, 0.5f}, {-1, -1, 0.5f}, {-1, -1, -0.5f}},
};
constexpr float SideTexCoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};

}  // namespace

bool powerupIconCell(int kind, float& cu, float& cv) {
    switch (kind) {
    case TankSpeed: cu = 0.625f; cv = 0.4375f; return true;    // 't'
    case BulletSpeed: cu = 0.375f; cv = 0.71875f; return true;  // 'b'
    case Shield: cu = 0.5f; cv = 0.4375f; return true;          // 's'
    case RapidFire: cu = 0.75f; cv = 0.71875f; return true;     // 'e'
    default: return false;
    }
}

void drawBullets(const GameState& game) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    for (int i = 0; i < game.playerCount; ++i) {
        const Bullet& b = game.bullets[i];
        if (b.life < 0) continue;
        glLoadIdentity();
        applyCamera(game);
        glTranslatef(b.x, b.y, 0.45f);
        glRotatef(game.bulletSpin, 1, 1, 1);  // all bullets tumble together about the body diagonal
        glBegin(GL_QUADS);
        for (const CubeFace& f : BulletCube) {
            glColor3f(f.grey, f.grey, f.grey);
            for (const Vertex& v : f.v) glVertex3f(v.x, v.y, v.z);
        }
        glEnd();
    }
}

void drawShield(const GameState& game, int p) {
    if (p < 0 || p >= game.playerCount) return;
    const Player& pl = game.players[p];
    glLoadIdentity();
    applyCamera(game);
    glTranslatef(pl.x, pl.y, 0);
    glRotatef(pl.heading + 180, 0, 0, 1);
    // Additive: brightens what is behind it; it still writes depth.
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, game.shieldPulse);
    glBegin(GL_QUADS);
    for (const auto& face : ShieldBox)
        for (const Vertex& v : face) glVertex3f(v.x, v.y, v.z);
    glEnd();
    glDisable(GL_BLEND);
}

void drawPowerup(const GameState& game) {
    const Powerup& powerup = game.powerup;
    if (powerup.life <= 0) return;
    glLoadIdentity();
    applyCamera(game);
    float cu = 0, cv = 0;
    if (!powerupIconCell(powerup.kind, cu, cv)) {  // a kind no rule makes is not drawn
        return;
    }
    glTranslatef(powerup.x, powerup.y, 1);
    glRotatef(game.powerupSpin, 0, 1, 1);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    // Top and bottom carry the kind's letter from the font sheet.
    glBindTexture(GL_TEXTURE_2D, textureNames[FontTexture]);
    glBegin(GL_QUADS);
    for (float z : {0.5f, -0.5f}) {
        glTexCoord2f(cu, cv + GLYPH_CELL_HEIGHT);
        glVertex3f(-1, 1, z);
        glTexCoord2f(cu + GLYPH_CELL_WIDTH, cv + GLYPH_CELL_HEIGHT);
        glVertex3f(1, 1, z);
        glTexCoord2f(cu + GLYPH_CELL_WIDTH, cv);
        glVertex3f(1, -1, z);
        glTexCoord2f(cu, cv);
        glVertex3f(-1, -1, z);
    }
    glEnd();

    glBindTexture(GL_TEXTURE_2D, textureNames[FilledTexture]);
    glBegin(GL_QUADS);
    for (const auto& side : PowerupSides)
        for (int i = 0; i < 4; ++i) {
            glTexCoord2f(SideTexCoords[i][0], SideTexCoords[i][1]);
            glVertex3f(side[i].x, side[i].y, side[i].z);
        }
    glEnd();

    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}
