// The pieces of the title screen: the bitmap font, the extruded lettering and the text pages,
// declared for the title drawing and its tests.
#pragma once

#include <string>
#include <vector>

#include "render/render.h"  // the font sheet's cell size

// ---- Bitmap font (font.cpp) --------------------------------------------------------------------
// Top-left texture corner of a character's cell; false for space and characters not in the font.
bool glyphCorner(char ch, float& u, float& v);
void drawGlyph(char ch, float x, float y, float size);

// ---- Bands with text (paused.cpp) ----------------------------------------------------------------
// A translucent black band across the view between two heights at depth z.
void drawDarkBand(float bottom, float top, float z);
// A line of glyphs of the given size centred on x = 0 (left with blending and texturing off).
void drawCentredText(const char* text, float y, float z, float size);

// ---- Status at the top of the title screen (status_text.cpp) ---------------------------------------
constexpr int STATUS_LINE_LENGTH = 46;
constexpr int STATUS_LINES = 2;
// The text in lower case (the font has no capitals) wrapped at spaces into lines of at most
// STATUS_LINE_LENGTH characters, a longer word cut, and at each '\n'; what does not fit in
// STATUS_LINES is left out.
std::vector<std::string> statusLines(const std::string& text);

// ---- Title screen (title.cpp) ------------------------------------------------------------------
struct TitleQuad { float x1, y1, x2, y2, x3, y3, x4, y4; };  // corners in letter units
extern const TitleQuad TitleLetters[];  // TARVEX; ends with a record whose x1 is -999
extern const TitleQuad TitleTag[];      // "3D"; ends the same way

constexpr int PAGE_LINES = 6;
constexpr int LINE_LENGTH = 30;
constexpr int PAGE_COUNT = 7;  // the first pages of the cycle, as they were first written
extern const char* const TextPages[PAGE_COUNT + 1][PAGE_LINES];  // last page: null entries
// After them come the keys the game gained later and a last page saying who plays each tank.
extern const int CYCLE_PAGES;  // all pages shown in turn
extern const int STATUS_PAGE;  // the last one, written as it is drawn
const char* pageLine(int page, int line);  // any page of the cycle

struct TitlePicture;
void drawTextPage(const TitlePicture& picture);
void drawSlabSides(const float p[4][2], float z1, float z2);
void drawSlabFaces(const float p[4][2], float z1, float z2);
