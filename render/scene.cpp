// One view of the world, drawn in a fixed order for the active camera.
#include <GL/gl.h>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"

int32_t windowWidth = 800;
int32_t windowHeight = 600;

void drawScene(bool firstView) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);  // pieces that need texturing or blending switch them on themselves
    glDisable(GL_BLEND);

    for (int p = 0; p < playerCount; ++p) drawTank(p);

    glLoadIdentity();
    applyCamera();
    drawFloor();
    drawWalls();

    glLoadIdentity();  // the backdrop lives in eye space, behind everything
    drawBackdrop();

    if (hitCountdown < 0) {
        drawBullets();
    } else {
        // The one place where drawing advances the game: the hit pause, once per frame.
        if (firstView) hitCountdownStep();
        drawLives();
    }

    if (players != nullptr)
        for (int p = 0; p < playerCount; ++p)
            if (players[p].powerupKind == Shield && players[p].powerupTimer > 0) drawShield(p);

    drawPowerup();
    glFlush();
}
