// The game's own bitmaps in data/: what the renderer and the font rely on, and that they are
// what the generator makes today.
#include "image/bmp.h"
#include "tests/image/bmp_builder.h"
#include "tools/generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

int brightness(const RgbImage& image, int x, int yFromTop) {
    const uint8_t* p = image.pixels.data() +
                       (size_t(image.height - 1 - yFromTop) * size_t(image.width) + size_t(x)) * 3;
    return std::max({p[0], p[1], p[2]});
}

TEST(GameBitmaps, AllThreeAreTexturesOpenGLCanTake) {
    for (const char* file : {"data/hetfont.bmp", "data/Filled.bmp", "data/track.bmp"}) {
        SCOPED_TRACE(file);
        std::vector<uint8_t> bytes = readFileBytes(file);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[14], 40);  // info header
        EXPECT_EQ(bytes[28], 24);  // 24 bits
        auto image = loadDibImage(file);
        ASSERT_TRUE(image);
        EXPECT_TRUE(powerOfTwo(image->width));
        EXPECT_TRUE(powerOfTwo(image->height));
        EXPECT_EQ(image->width % 4, 0);
    }
}

// Glyph k sits in column k mod 8 and row k div 8 of a grid of cells 1/8 wide and 9/64 high,
// counted from the top. Each glyph cell must hold ink, keep a black border so that linear
// filtering does not pull in its neighbours, and differ from every other glyph.
TEST(GameBitmaps, FontSheetHasFortySevenSeparateGlyphs) {
    constexpr int GLYPHS = 47;  // 0-9, a-z, . : / - , [ ] ( ) ' _
    auto font = loadDibImage("data/hetfont.bmp");
    ASSERT_TRUE(font);
    ASSERT_EQ(font->width % 8, 0);
    ASSERT_EQ(font->height * 9 % 64, 0);
    const int cellW = font->width / 8, cellH = font->height * 9 / 64;
    std::vector<std::vector<int>> cells;
    for (int k = 0; k < 48; ++k) {
        const int left = (k % 8) * cellW, top = (k / 8) * cellH;
        std::vector<int> cell;
        int ink = 0, border = 0;
        for (int y = 0; y < cellH; ++y) {
            for (int x = 0; x < cellW; ++x) {
                int b = brightness(*font, left + x, top + y);
                cell.push_back(b);
                if (b > 200) ++ink;
                if (x == 0 || y == 0 || x == cellW - 1 || y == cellH - 1)
                    border = std::max(border, b);
            }
        }
        if (k < GLYPHS) {
            EXPECT_GT(ink, k >= 36 ? 8 : 40) << "glyph " << k;  // punctuation is small
            EXPECT_EQ(border, 0) << "glyph " << k;
            for (size_t other = 0; other < cells.size(); ++other)
                EXPECT_NE(cells[other], cell) << "glyphs " << other << " and " << k;
            cells.push_back(cell);
        } else {
            EXPECT_EQ(ink, 0) << "unused cell " << k;
        }
    }
    // Below the six glyph rows the sheet is black.
    for (int y = 6 * cellH; y < font->height; ++y)
        for (int x = 0; x < font->width; ++x) ASSERT_EQ(brightness(*font, x, y), 0);
}

// The tread repeats along the track every quarter of its height: the row after the last is the
// first, so a quarter further down must look the same everywhere, also across the wrap.
TEST(GameBitmaps, TreadRepeatsSeamlesslyAlongTheTrack) {
    auto tread = loadDibImage("data/track.bmp");
    ASSERT_TRUE(tread);
    const int period = tread->height / 4;
    for (int y = 0; y < tread->height; ++y)
        for (int x = 0; x < tread->width; ++x)
            ASSERT_EQ(brightness(*tread, x, y), brightness(*tread, x, (y + period) % tread->height))
                << x << ", " << y;
}

TEST(GameBitmaps, CommittedFilesAreWhatTheGeneratorWrites) {
    const std::string dir = ::testing::TempDir();
    ASSERT_TRUE(generateBitmaps(dir.c_str()));
    for (const char* name : {"hetfont.bmp", "Filled.bmp", "track.bmp"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> fresh = readFileBytes(dir + "/" + name);
        std::vector<uint8_t> committed = readFileBytes(std::string("data/") + name);
        ASSERT_FALSE(fresh.empty());
        EXPECT_TRUE(fresh == committed) << "regenerate with: tarvex-tool generate bitmaps data";
    }
}

}  // namespace
