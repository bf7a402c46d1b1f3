// The title and help screen drawn over the orbiting arena between matches: the word TARVEX in
// extruded block letters, a spinning extruded "3D" below it and cycling pages of help text.
#include <GL/gl.h>

#include <cstdio>
#include <initializer_list>
#include <iterator>

#include "game/game.h"
#include "render/render.h"
#include "ui/title.h"
#include "ui/title_parts.h"

namespace {
constexpr float SENTINEL = -999;
}

// Six block letters on a 2-unit grid: 10 high (y -5..5), strokes 2 wide, 8 wide (the T 6),
// 2-unit gaps; the word spans x -28..28. Slanted strokes are quads with slanted edges.
const TitleQuad TitleLetters[] = {
    // T, x -28..-22
    {-28, 5, -22, 5, -22, 3, -28, 3},
    {-26, 3, -24, 3, -24, -5, -26, -5},
    // A, x -20..-12: chamfered top, two legs, crossbar
    {-20, 3, -18, 5, -14, 5, -12, 3},
    {-20, -5, -20, 3, -18, 3, -18, -5},
    {-14, -5, -14, 3, -12, 3, -12, -5},
    {-18, 1, -14, 1, -14, -1, -18, -1},
    // R, x -10..-2: stem, bowl with a chamfered corner, slanted leg
    {-10, -5, -10, 5, -8, 5, -8, -5},
    {-8, 5, -4, 5, -2, 3, -8, 3},
    {-4, 3, -2, 3, -2, 1, -4, 1},
    {-8, 1, -2, 1, -4, -1, -8, -1},
    {-6, -1, -4, -1, -2, -5, -4, -5},
    // V, x 0..8: two slanted strokes meeting at the bottom
    {0, 5, 2, 5, 4, -1, 4, -5},
    {8, 5, 6, 5, 4, -1, 4, -5},
    // E, x 10..18
    {10, -5, 10, 5, 12, 5, 12, -5},
    {12, 5, 18, 5, 18, 3, 12, 3},
    {12, 1, 16, 1, 16, -1, 12, -1},
    {12, -3, 18, -3, 18, -5, 12, -5},
    // X, x 20..28: two crossing slanted strokes
    {20, 5, 22, 5, 28, -5, 26, -5},
    {26, 5, 28, 5, 22, -5, 20, -5},
    {SENTINEL, 0, 0, 0, 0, 0, 0, 0},
};

const TitleQuad TitleTag[] = {
    {-9, -5, -7, -3, -3, -3, -1, -5},
    {-3, -3, -1, -5, -1, -7, -3, -9},
    {-1, -7, -3, -9, -5, -9, -1, -5},
    {-9, -13, -7, -15, -3, -15, -1, -13},
    {-3, -15, -1, -13, -1, -11, -3, -9},
    {-1, -11, -3, -9, -5, -9, -1, -13},
    {-3, -11, -3, -9, -3, -7, -5, -9},
    {1, -9, 5, -9, 5, -15, 1, -15},
    {1, -3, 3, -3, 3, -15, 1, -15},
    {1, -3, 7, -3, 9, -5, 1, -5},
    {1, -15, 7, -15, 9, -13, 1, -13},
    {7, -3, 9, -5, 9, -13, 7, -15},
    {SENTINEL, 0, 0, 0, 0, 0, 0, 0},
};

#define BLANK "                              "
const char* const TextPages[PAGE_COUNT + 1][PAGE_LINES] = {
    {BLANK,
     "           tarvex 3d          ",
     BLANK,
     "      by the tarvex team      ",
     BLANK,
     "      tarvex.example.org      "},
    {"    use the following keys    ",
     " f1   regular game            ",
     " f2   bouncing bullets game   ",
     " f3   steerable bullets game  ",
     " esc  terminates current game ",
     " f12  quit game               "},
    {"       player 1 controls      ",
     BLANK,
     " a d  rotate tank             ",
     " q e  rotate turret           ",
     " w s  move forward and back   ",
     " x    fire                    "},
    {"       player 2 controls      ",
     "       on numeric keypad      ",
     " 4 6  rotate tank             ",
     " 7 9  rotate turret           ",
     " 8 5  move forward and back   ",
     " 2    fire                    "},
    {"  get the following powerups  ",
     " t    increased tank speed    ",
     " b    increased bullet speed  ",
     " s    shield                  ",
     " e    extend bullet life and  ",
     "      allow refire            "},
    {"switch views using keys 1...7 ",
     BLANK,
     "in split screen mode          ",
     "z    change view for player 1 ",
     "1    change view for player 2 ",
     "            on numeric keypad "},
    {"   code and 3d graphics by    ",
     "       the tarvex team        ",
     BLANK,
     "   music by the tarvex team   ",
     BLANK,
     "     ironclad bytes 2004      "},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},  // end mark
};

namespace {

constexpr const char* BLANK_LINE = BLANK;
#undef BLANK

// Keys the game gained after those pages; a line added here flows on to a further page.
const char* const LaterKeyLines[] = {
    "          more keys           ",
    " f4     play the last replay  ",
    " f5 f6  player 1/2: person or ",
    "        computer level 1-3    ",
    " p      pause and resume      ",
    " f11    full screen or window ",
    "          online play         ",
    " f7   host: the other player  ",
    "      joins at your address   ",
    " f8   join: type the host's   ",
    "      address, enter connects ",
    " udp port 47310 by default    ",
};
constexpr int LATER_KEY_LINES = int(std::size(LaterKeyLines));
constexpr int LATER_KEY_PAGES = (LATER_KEY_LINES + PAGE_LINES - 1) / PAGE_LINES;

const char* const ControlPages[][PAGE_LINES] = {
    {"       player 2 controls      ",
     "  without keypad: arrow keys  ",
     " left right  rotate tank      ",
     " . /         rotate turret    ",
     " up down     forward and back ",
     " right ctrl  fire             "},
    {"       gamepad controls       ",
     "   first pad for player 1,    ",
     "   second pad for player 2    ",
     BLANK_LINE,
     " start  regular game / pause  ",
     " back   leave the game        "},
    {" left stick or d-pad:         ",
     "      move and rotate tank    ",
     " right stick or shoulders:    ",
     "      rotate turret           ",
     " south button, right trigger: ",
     "      fire                    "},
};
constexpr int CONTROL_PAGES = int(std::size(ControlPages));

// The status page's player lines, rewritten whenever the page is drawn.
int playerLevels[2] = {0, 0};
char playerLines[2][LINE_LENGTH + 1] = {"  player 1   person           ",
                                        "  player 2   person           "};
const char* const StatusPage[PAGE_LINES] = {
    "     who drives each tank     ", BLANK_LINE, playerLines[0], playerLines[1], BLANK_LINE,
    "    f5 and f6 switch them     ",
};

void writePlayerLines() {
    static const char* const Who[4] = {"person", "computer level 1", "computer level 2",
                                       "computer level 3"};
    for (int i = 0; i < 2; ++i)
        std::snprintf(playerLines[i], sizeof playerLines[i], "  player %c   %-17s", char('1' + i),
                      Who[playerLevels[i]]);
}

}  // namespace

const int STATUS_PAGE = PAGE_COUNT + LATER_KEY_PAGES + CONTROL_PAGES;
const int CYCLE_PAGES = STATUS_PAGE + 1;

const char* pageLine(int page, int line) {
    if (page < PAGE_COUNT) return TextPages[page][line];
    page -= PAGE_COUNT;
    if (page < LATER_KEY_PAGES) {
        const int k = page * PAGE_LINES + line;
        return k < LATER_KEY_LINES ? LaterKeyLines[k] : BLANK_LINE;
    }
    page -= LATER_KEY_PAGES;
    if (page < CONTROL_PAGES) return ControlPages[page][line];
    return StatusPage[line];
}

void setTitlePlayers(const int levels[2]) {
    // Anything but a computer level shows a person.
    for (int i = 0; i < 2; ++i) playerLevels[i] = levels[i] >= 1 && levels[i] <= 3 ? levels[i] : 0;
}

void drawSlabSides(const float p[4][2], float z1, float z2) {
    for (int i = 0; i < 4; ++i) {
        const float* a = p[i];
        const float* b = p[(i + 1) % 4];
        glVertex3f(a[0], a[1], z1);
        glVertex3f(a[0], a[1], z2);
        glVertex3f(b[0], b[1], z2);
        glVertex3f(b[0], b[1], z1);
    }
}

void drawSlabFaces(const float p[4][2], float z1, float z2) {
    for (float z : {z1, z2})
        for (int i = 0; i < 4; ++i) glVertex3f(p[i][0], p[i][1], z);
}

TitlePicture advanceTitle(TitleAnimation& title) {
    int& page = title.currentPage;
    float& offset = title.textOffset;
    if (page < 0 || page >= CYCLE_PAGES) page = 0;
    const int shownPage = page;  // a page that leaves in this step is drawn once more
    const float shownAngle = title.tagAngle;
    if (--title.textHold <= 0) {
        offset += 0.05f;
        title.textHold = 1;
        if (offset >= 0.0f && offset < 0.05f) title.textHold = 350;  // arrived in the middle
        if (offset >= 1.6f) {
            offset = -1.6f;
            if (++page >= CYCLE_PAGES) page = 0;
        }
    }
    advanceSpin(title.tagAngle, 1.0f);  // a float that only grew would stop turning after 46 hours
    return {shownPage, offset, shownAngle};
}

void drawTextPage(const TitlePicture& picture) {
    if (picture.page == STATUS_PAGE) writePlayerLines();

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureNames[FontTexture]);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_BLEND);  // additive: the sheet's black leaves the scene as it is
    for (int j = 0; j < PAGE_LINES; ++j) {
        const char* line = pageLine(picture.page, j);
        glLoadIdentity();
        glTranslatef(picture.textOffset, -0.11f - 0.08f * float(j), -1.4f);
        for (int i = 0; i < LINE_LENGTH && line[i] != '\0'; ++i)
            if (line[i] != ' ') drawGlyph(line[i], -0.75f + 0.05f * float(i), 0, 0.05f);
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

namespace {

void extrudedQuads(const TitleQuad* quads, float scale, float depth, const float sideColour[3],
                   const float faceColour[3]) {
    glBegin(GL_QUADS);
    for (const TitleQuad* q = quads; q->x1 > -900; ++q) {
        const float corners[4][2] = {{q->x1 * scale, q->y1 * scale}, {q->x2 * scale, q->y2 * scale},
                                     {q->x3 * scale, q->y3 * scale}, {q->x4 * scale, q->y4 * scale}};
        glColor3fv(sideColour);
        drawSlabSides(corners, 0, depth);
        glColor3fv(faceColour);
        drawSlabFaces(corners, 0, depth);
    }
    glEnd();
}

}  // namespace

void drawTitle(const TitlePicture& picture, float x, float y, float z, float scale) {
    static const float LetterSides[3] = {0.8f, 0.8f, 0.0f};
    static const float LetterFaces[3] = {1.0f, 0.4f, 0.0f};
    static const float TagSides[3] = {0.0f, 0.12f, 0.25f};
    static const float TagFaces[3] = {0.0f, 0.25f, 0.5f};

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(x, y, z);
    glRotatef(-20, 1, 0, 0);
    extrudedQuads(TitleLetters, scale, -0.1f, LetterSides, LetterFaces);  // depth is not scaled

    glLoadIdentity();
    glTranslatef(x, y - 0.1f, z - 0.1f);
    glRotatef(picture.tagAngle, 0, 1, 0);
    glRotatef(-20, 1, 0, 0);
    extrudedQuads(TitleTag, scale, -0.15f, TagSides, TagFaces);

    drawTextPage(picture);
}
