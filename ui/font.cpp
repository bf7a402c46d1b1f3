// The bitmap font: 47 glyphs (0-9, a-z, then . : / - , [ ] ( ) ' _) on an 8-column sheet in texture
// slot 0.
#include <GL/gl.h>

#include <cstring>

#include "ui/title_parts.h"

bool glyphCorner(char ch, float& u, float& v) {
    static const char Punctuation[] = ".:/-,[]()'_";  // glyphs 36 on, in this order
    int k;
    if (ch >= '0' && ch <= '9') k = ch - '0';
    else if (ch >= 'a' && ch <= 'z') k = 10 + ch - 'a';
    else if (const char* p = ch ? std::strchr(Punctuation, ch) : nullptr)
        k = 36 + int(p - Punctuation);
    else return false;  // space and anything the sheet lacks draw nothing
    u = float(k % 8) * GLYPH_CELL_WIDTH;
    v = 1.0f - float(k / 8) * GLYPH_CELL_HEIGHT;
    return true;
}

// One square quad at z = 0; the cell is stretched to it.
void drawGlyph(char ch, float x, float y, float size) {
    float u, v;
    if (!glyphCorner(ch, u, v)) return;
    const float h = size / 2;
    glBegin(GL_QUADS);
    glTexCoord2f(u, v);
    glVertex3f(x - h, y + h, 0);
    glTexCoord2f(u + GLYPH_CELL_WIDTH, v);
    glVertex3f(x + h, y + h, 0);
    glTexCoord2f(u + GLYPH_CELL_WIDTH, v - GLYPH_CELL_HEIGHT);
    glVertex3f(x + h, y - h, 0);
    glTexCoord2f(u, v - GLYPH_CELL_HEIGHT);
    glVertex3f(x - h, y - h, 0);
    glEnd();
}
