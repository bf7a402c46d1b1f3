// One view of the world, drawn in a fixed order for the active camera.
#include <GL/gl.h>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"

void setInitialGLState() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.2f, 0.6f, 0.8f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_BLEND);  // as a new context has it; said here for whoever calls this again
}

void drawScene(const GameState& game) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);  // pieces that need texturing or blending switch them on themselves
    glDisable(GL_BLEND);

    for (int p = 0; p < game.playerCount; ++p) drawTank(game, p);

    glLoadIdentity();
    applyCamera(game);
    drawFloor();
    drawWalls(game);

    glLoadIdentity();  // the backdrop lives in eye space, behind everything
    drawBackdrop();

    if (game.hitCountdown < 0)
        drawBullets(game);
    else
        drawLives(game);

    for (int p = 0; p < game.playerCount; ++p)
        if (game.players[p].powerupKind == Shield && game.players[p].powerupTimer > 0) drawShield(game, p);

    drawPowerup(game);
    glFlush();
}
