// generate bitmaps DIR: draws the game's three textures and writes them as 24-bit bitmaps with
// file header and 40-byte info header: the font sheet, the powerup box side and the track tread.
#include "game/data_files.h"
#include "tools/generators.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/tool_messages.h"

namespace {

// ---- Picture and file writing ----------------------------------------------------------------

struct Color {
    float r = 0, g = 0, b = 0;
};

Color mix(const Color& a, const Color& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Color scaled(const Color& c, float f) { return {c.r * f, c.g * f, c.b * f}; }

// A picture with rows counted from the top, colours 0..255.
struct Canvas {
    int width, height;
    std::vector<Color> pixels;
    Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}
    Color& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

uint8_t toByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f))); }

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

// 24 bits per pixel, rows bottom first, each padded to a multiple of 4 bytes.
bool writeBitmap(const Canvas& canvas, const std::string& path) {
    const uint32_t rowBytes = (uint32_t(canvas.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(canvas.height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putU32(out, 14 + 40 + imageBytes);
    putU32(out, 0);
    putU32(out, 14 + 40);
    putU32(out, 40);
    putU32(out, uint32_t(canvas.width));
    putU32(out, uint32_t(canvas.height));
    putU16(out, 1);
    putU16(out, 24);
    putU32(out, 0);  // uncompressed
    putU32(out, imageBytes);
    putU32(out, 2835);  // 72 dots per inch
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = canvas.height - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.width; ++x) {
            const Color& c = canvas.pixels[size_t(y) * size_t(canvas.width) + size_t(x)];
            out.push_back(toByte(c.b));
            out.push_back(toByte(c.g));
            out.push_back(toByte(c.r));
        }
        for (uint32_t pad = uint32_t(canvas.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, CANNOT_WRITE, path.c_str());
        return false;
    }
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::fprintf(stderr, CANNOT_WRITE, path.c_str());
    return ok;
}

// ---- Font sheet ------------------------------------------------------------------------------

// The glyphs on a 5 x 9 grid: rows 0..6 above the baseline, rows 7 and 8 for descenders.
constexpr int GLYPH_COLUMNS = 5;
constexpr int GLYPH_ROWS = 9;

constexpr int GLYPH_COUNT = 47;  // 0-9, a-z, then the punctuation in the order the font maps it

const char* const Glyphs[GLYPH_COUNT][GLYPH_ROWS] = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###.", ".....", "....."},  // 0
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."},  // 1
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####", ".....", "....."},  // 2
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###.", ".....", "....."},  // 3
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#.", ".....", "....."},  // 4
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###.", ".....", "....."},  // 5
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###.", ".....", "....."},  // 6
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#...", ".....", "....."},  // 7
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###.", ".....", "....."},  // 8
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##..", ".....", "....."},  // 9
    {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", ".....", "....."},  // a
    {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####.", ".....", "....."},  // b
    {".....", ".....", ".###.", "#....", "#....", "#...#", ".###.", ".....", "....."},  // c
    {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####", ".....", "....."},  // d
    {".....", ".....", ".###.", "#...#", "#####", "#....", ".###.", ".....", "....."},  // e
    {"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#...", ".....", "....."},  // f
    {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."},  // g
    {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#", ".....", "....."},  // h
    {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###.", ".....", "....."},  // i
    {"...#.", ".....", "..##.", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."},  // j
    {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#.", ".....", "....."},  // k
    {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."},  // l
    {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#", ".....", "....."},  // m
    {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#", ".....", "....."},  // n
    {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###.", ".....", "....."},  // o
    {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."},  // p
    {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"},  // q
    {".....", ".....", "#.##.", "##..#", "#....", "#....", "#....", ".....", "....."},  // r
    {".....", ".....", ".####", "#....", ".###.", "....#", "####.", ".....", "....."},  // s
    {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##.", ".....", "....."},  // t
    {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#", ".....", "....."},  // u
    {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#..", ".....", "....."},  // v
    {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#.", ".....", "....."},  // w
    {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", ".....", "....."},  // x
    {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."},  // y
    {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####", ".....", "....."},  // z
    {".....", ".....", ".....", ".....", ".....", ".##..", ".##..", ".....", "....."},  // .
    {".....", ".....", ".##..", ".##..", ".....", ".##..", ".##..", ".....", "....."},  // :
    {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#....", ".....", "....."},  // /
    {".....", ".....", ".....", ".....", ".###.", ".....", ".....", ".....", "....."},  // -
    {".....", ".....", ".....", ".....", ".....", ".##..", ".##..", "..#..", ".#..."},  // ,
    {".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###.", ".....", "....."},  // [
    {".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###.", ".....", "....."},  // ]
    {"...#.", "..#..", ".#...", ".#...", ".#...", ".#...", ".#...", "..#..", "...#."},  // (
    {".#...", "..#..", "...#.", "...#.", "...#.", "...#.", "...#.", "..#..", ".#..."},  // )
    {"..##.", "..##.", "..#..", ".#...", ".....", ".....", ".....", ".....", "....."},  // '
    {".....", ".....", ".....", ".....", ".....", ".....", ".....", "#####", "....."},  // _
};

bool glyphPixel(int k, int x, int y) {
    return x >= 0 && y >= 0 && x < GLYPH_COLUMNS && y < GLYPH_ROWS && Glyphs[k][y][x] == '#';
}

float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    float ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// Whether the point (gx, gy) of the glyph grid is ink. Each set pixel is a square widened a
// little for a slightly bold face; two set pixels that touch only at a corner are joined by a
// stroke, so diagonals come out straight instead of stepped.
bool glyphInk(int k, float gx, float gy) {
    constexpr float BOLD = 0.14f;
    const int cx = int(std::floor(gx)), cy = int(std::floor(gy));
    for (int y = cy - 1; y <= cy + 1; ++y) {
        for (int x = cx - 1; x <= cx + 1; ++x) {
            if (!glyphPixel(k, x, y)) continue;
            if (gx >= x - BOLD && gx <= x + 1 + BOLD && gy >= y && gy <= y + 1) return true;
            for (int dy = -1; dy <= 1; dy += 2) {
                if (!glyphPixel(k, x + 1, y + dy) || glyphPixel(k, x + 1, y) ||
                    glyphPixel(k, x, y + dy))
                    continue;
                if (segmentDistance(gx, gy, x + 0.5f, y + 0.5f, x + 1.5f, y + dy + 0.5f) <
                    0.5f + BOLD)
                    return true;
            }
        }
    }
    return false;
}

// Coverage (0..1) of the cell pixels by glyph k stretched over the rectangle (left, top, w, h),
// with 5 x 5 samples per pixel for smooth edges.
std::vector<float> coverage(int k, int cellWidth, int cellHeight, float left, float top, float w,
                            float h) {
    constexpr int SAMPLES = 5;
    std::vector<float> result(size_t(cellWidth) * size_t(cellHeight));
    for (int y = 0; y < cellHeight; ++y) {
        for (int x = 0; x < cellWidth; ++x) {
            int hits = 0;
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    float gx = (x + (sx + 0.5f) / SAMPLES - left) / w * GLYPH_COLUMNS;
                    float gy = (y + (sy + 0.5f) / SAMPLES - top) / h * GLYPH_ROWS;
                    hits += glyphInk(k, gx, gy);
                }
            }
            result[size_t(y) * size_t(cellWidth) + size_t(x)] = float(hits) / (SAMPLES * SAMPLES);
        }
    }
    return result;
}

// A soft halo around the glyph: its coverage blurred over a few pixels.
std::vector<float> halo(const std::vector<float>& cover, int w, int h, int radius) {
    std::vector<float> result(cover.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float sum = 0, weight = 0;
            for (int dy = -radius; dy <= radius; ++dy) {
                for (int dx = -radius; dx <= radius; ++dx) {
                    float k = 1.0f / (1 + dx * dx + dy * dy);
                    int sx = x + dx, sy = y + dy;
                    if (sx >= 0 && sy >= 0 && sx < w && sy < h)
                        sum += k * cover[size_t(sy) * size_t(w) + size_t(sx)];
                    weight += k;
                }
            }
            result[size_t(y) * size_t(w) + size_t(x)] = sum / weight;
        }
    }
    return result;
}

// 256 x 256: eight columns of 32 pixels, rows of 36 (9/64 of the height) from the top. Glyphs are
// white fading to pale blue towards their foot, with a faint blue glow, on black: the font is
// drawn additively, so black leaves the scene as it is.
Canvas drawFontSheet() {
    constexpr int SIZE = 256, CELL_W = SIZE / 8, CELL_H = SIZE * 9 / 64;
    const Color top{255, 255, 255}, foot{150, 200, 255}, glow{40, 90, 200};
    Canvas canvas(SIZE, SIZE);
    for (int k = 0; k < GLYPH_COUNT; ++k) {
        const float left = 5, topEdge = 2, w = 22, h = 32;
        std::vector<float> cover = coverage(k, CELL_W, CELL_H, left, topEdge, w, h);
        std::vector<float> soft = halo(cover, CELL_W, CELL_H, 2);
        const int cellX = (k % 8) * CELL_W, cellY = (k / 8) * CELL_H;
        for (int y = 1; y < CELL_H - 1; ++y) {
            float t = std::clamp((y - topEdge) / (h * 7 / 9), 0.0f, 1.0f);
            Color ink = mix(top, foot, t);
            for (int x = 1; x < CELL_W - 1; ++x) {
                float c = cover[size_t(y) * CELL_W + size_t(x)];
                float g = soft[size_t(y) * CELL_W + size_t(x)] * 0.6f;
                Color& out = canvas.at(cellX + x, cellY + y);
                out = mix(scaled(glow, std::min(g, 1.0f)), ink, c);
            }
        }
    }
    return canvas;
}

// ---- Powerup box side ------------------------------------------------------------------------

// 128 x 64 (the side is twice as wide as high): an amber panel with a bevelled frame, lit from the
// top left, and a glowing centre crossed by faint diagonal ribs.
Canvas drawFilledPanel() {
    constexpr int W = 128, H = 64, FRAME = 7;
    const Color frame{225, 160, 40}, light{255, 240, 170}, shade{120, 65, 10};
    const Color inner{70, 35, 5}, centre{200, 125, 25};
    Canvas canvas(W, H);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            int edge = std::min(std::min(x, y), std::min(W - 1 - x, H - 1 - y));
            Color c;
            if (edge < FRAME) {
                // Bevel: faces towards the top or left are lit, the others shaded.
                int fromLeft = x, fromTop = y, fromRight = W - 1 - x, fromBottom = H - 1 - y;
                bool lit = std::min(fromLeft, fromTop) <= std::min(fromRight, fromBottom);
                float depth = float(edge) / (FRAME - 1);
                c = mix(lit ? light : shade, frame, depth);
                if (edge == 0) c = scaled(c, 0.7f);
            } else {
                float dx = (x - (W - 1) / 2.0f) / (W / 2.0f - FRAME);
                float dy = (y - (H - 1) / 2.0f) / (H / 2.0f - FRAME);
                float glowAmount = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy) * 0.8f);
                c = mix(inner, centre, glowAmount);
                float rib = 0.5f + 0.5f * std::cos(float(x + y) * 3.14159265f / 4);
                c = mix(c, frame, 0.3f * rib * rib * rib * rib);
                if (edge == FRAME) c = scaled(c, 0.6f);  // the inner rim sits in shadow
            }
            canvas.at(x, y) = c;
        }
    }
    return canvas;
}

// ---- Track tread -----------------------------------------------------------------------------

// 64 x 64, repeating from top to bottom: across the width the track from its outer to its inner
// edge, along the height four steel cleats with a lit leading edge and a shaded trailing edge,
// dark gaps between them and link pins at both ends.
Canvas drawTread() {
    constexpr int W = 64, H = 64, PERIOD = 16, CLEAT = 11, RIM = 4;
    const Color gap{28, 26, 24}, steel{125, 122, 115}, lit{200, 198, 190}, dark{70, 68, 64};
    const Color rim{55, 53, 50}, pin{170, 165, 150};
    Canvas canvas(W, H);
    for (int y = 0; y < H; ++y) {
        const int p = y % PERIOD;
        for (int x = 0; x < W; ++x) {
            Color c;
            bool onRim = x < RIM || x >= W - RIM;
            if (p >= CLEAT) {
                c = gap;
            } else if (onRim) {
                c = rim;
                int px = x < RIM ? x : W - 1 - x;
                if (px >= 1 && px <= 2 && p >= 4 && p <= 6) c = pin;
            } else {
                // A slight curve across the cleat: brighter in the middle of the track.
                float across = std::abs(x - (W - 1) / 2.0f) / (W / 2.0f);
                c = scaled(steel, 1.1f - 0.3f * across * across);
                if (p <= 1) c = lit;
                if (p >= CLEAT - 2) c = dark;
                if ((x == RIM || x == W - 1 - RIM) && p > 1 && p < CLEAT - 2) c = dark;
            }
            canvas.at(x, y) = c;
        }
    }
    return canvas;
}

}  // namespace

bool generateBitmaps(const char* dir) {
    const std::string base = std::string(dir) + "/";
    bool ok = writeBitmap(drawFontSheet(), base + FONT_BITMAP);
    ok = writeBitmap(drawFilledPanel(), base + FILLED_BITMAP) && ok;
    ok = writeBitmap(drawTread(), base + TRACK_BITMAP) && ok;
    return ok;
}
