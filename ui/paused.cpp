// The marks over a match: a dark band across the middle of the window with a word or two in the
// bitmap font, for a paused match and for an online match that waits for the other player.
#include <GL/gl.h>

#include <cstring>

#include "ui/title.h"
#include "ui/title_parts.h"

void drawDarkBand(float bottom, float top, float z) {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.6f);
    glBegin(GL_QUADS);
    glVertex3f(-2, bottom, z);
    glVertex3f(2, bottom, z);
    glVertex3f(2, top, z);
    glVertex3f(-2, top, z);
    glEnd();
}

void drawCentredText(const char* text, float y, float z, float size) {
    if (!*text) return;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // additive, as all text: the sheet's black adds nothing
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureNames[FontTexture]);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glTranslatef(0, 0, z);
    const float left = -size * float(std::strlen(text) - 1) / 2;
    for (int i = 0; text[i]; ++i) drawGlyph(text[i], left + size * float(i), y, size);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

namespace {
void drawMark(const char* text, float size) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);  // over everything drawn
    drawDarkBand(-0.08f, 0.08f, -1.4f);
    drawCentredText(text, 0, -1.4f, size);
    glEnable(GL_DEPTH_TEST);
}
}  // namespace

void drawPausedMark() { drawMark("paused", 0.1f); }

void drawWaitingMark() { drawMark("waiting for the other player", 0.05f); }
