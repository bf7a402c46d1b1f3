// The mark over a paused match: a dark band across the middle of the window with the word
// "paused" in the bitmap font.
#include <GL/gl.h>

#include "ui/title.h"
#include "ui/title_parts.h"

void drawPausedMark() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);  // over everything drawn
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.6f);
    glBegin(GL_QUADS);
    glVertex3f(-2, -0.08f, -1.4f);
    glVertex3f(2, -0.08f, -1.4f);
    glVertex3f(2, 0.08f, -1.4f);
    glVertex3f(-2, 0.08f, -1.4f);
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // additive, as all text: the sheet's black adds nothing
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureNames[FontTexture]);
    glColor4f(1, 1, 1, 1);
    glTranslatef(0, 0, -1.4f);
    const char* word = "paused";
    for (int i = 0; word[i]; ++i) drawGlyph(word[i], -0.25f + 0.1f * float(i), 0, 0.1f);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}
