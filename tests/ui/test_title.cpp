// The bitmap font, the help pages and the title animation.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/input_sources.h"
#include "platform/keys.h"
#include "render/render.h"
#include "render/scene_parts.h"
#include "tests/render/gl_support.h"
#include "ui/title.h"
#include "ui/title_parts.h"

using testgl::describe;
using testgl::near;

using testgl::world;

namespace {

TEST(BitmapFont, GlyphCornersFollowTheEightColumnGrid) {
    const struct {
        char ch;
        float u, v;  // top-left corner
    } Cases[] = {
        {'0', 0.0f, 1.0f},       {'9', 0.125f, 0.859375f},  // glyphs 0 and 9: row 1, column 1
        {'a', 0.25f, 0.859375f}, {'z', 0.375f, 0.4375f},    // glyphs 10 and 35
        {'.', 0.5f, 0.4375f},    {':', 0.625f, 0.4375f},    // glyphs 36 and 37
        {'/', 0.75f, 0.4375f},   {'-', 0.875f, 0.4375f},    // glyphs 38 and 39
        {',', 0.0f, 0.296875f},                             // glyph 40: row 5, column 0
        {'[', 0.125f, 0.296875f}, {')', 0.5f, 0.296875f},   // glyphs 41 and 44
        {'_', 0.75f, 0.296875f},                            // glyph 46, the last
    };
    for (const auto& c : Cases) {
        float u = -1, v = -1;
        ASSERT_TRUE(glyphCorner(c.ch, u, v)) << c.ch;
        EXPECT_FLOAT_EQ(u, c.u) << c.ch;
        EXPECT_FLOAT_EQ(v, c.v) << c.ch;
    }
    float u, v;
    for (char c : {' ', 'A', 'Z', '+', ';', '!', '\0', char(0xe9)})
        EXPECT_FALSE(glyphCorner(c, u, v)) << int(c);
}

TEST(BitmapFont, PowerupIconsAreTheLettersTBSE) {
    const char letters[5] = {0, 't', 'b', 's', 'e'};
    for (int kind = 1; kind <= 4; ++kind) {
        float cu, cv, u, v;
        ASSERT_TRUE(powerupIconCell(kind, cu, cv));
        ASSERT_TRUE(glyphCorner(letters[kind], u, v));
        // The icon is given by its lower-left corner, the glyph by its top-left.
        EXPECT_FLOAT_EQ(cu, u) << letters[kind];
        EXPECT_FLOAT_EQ(cv + GLYPH_CELL_HEIGHT, v) << letters[kind];
    }
}

TEST(HelpPages, EveryPageHasSixLinesOfThirtyFontCharacters) {
    ASSERT_GE(CYCLE_PAGES, PAGE_COUNT + 5);  // more keys, player 2 without keypad, pads, status
    EXPECT_EQ(STATUS_PAGE, CYCLE_PAGES - 1);
    for (int page = 0; page < CYCLE_PAGES; ++page)
        for (int line = 0; line < PAGE_LINES; ++line) {
            const char* text = pageLine(page, line);
            ASSERT_NE(text, nullptr) << page << "/" << line;
            if (page < PAGE_COUNT) {
                EXPECT_EQ(text, TextPages[page][line]);
            }
            EXPECT_EQ(std::strlen(text), size_t(LINE_LENGTH)) << '"' << text << '"';
            float u, v;
            for (const char* c = text; *c; ++c)
                EXPECT_TRUE(*c == ' ' || glyphCorner(*c, u, v)) << '"' << text << "\" has '" << *c << "'";
        }
    for (int line = 0; line < PAGE_LINES; ++line) EXPECT_EQ(TextPages[PAGE_COUNT][line], nullptr);
}

TEST(HelpPages, TheFirstSevenPagesStayAsTheyAre) {
    const char* const Headings[PAGE_COUNT] = {
        "                              ", "    use the following keys    ",
        "       player 1 controls      ", "       player 2 controls      ",
        "  get the following powerups  ", "switch views using keys 1...7 ",
        "   code and 3d graphics by    "};
    for (int page = 0; page < PAGE_COUNT; ++page) EXPECT_STREQ(TextPages[page][0], Headings[page]);
    EXPECT_STREQ(TextPages[0][1], "           tarvex 3d          ");
    EXPECT_STREQ(TextPages[1][4], " esc  terminates current game ");
    EXPECT_STREQ(TextPages[3][5], " 2    fire                    ");
    // The credits name our own team, the address and the year.
    std::string credits;
    for (int page : {0, 6})
        for (int line = 0; line < PAGE_LINES; ++line) credits += TextPages[page][line];
    EXPECT_NE(credits.find("tarvex.example.org"), std::string::npos);
    EXPECT_NE(credits.find("the tarvex team"), std::string::npos);
    EXPECT_NE(credits.find("ironclad bytes"), std::string::npos);
    EXPECT_NE(credits.find("2004"), std::string::npos);
}

TEST(HelpPages, AddedPagesNameTheLaterKeys) {
    std::string added;
    for (int page = PAGE_COUNT; page < STATUS_PAGE; ++page)
        for (int line = 0; line < PAGE_LINES; ++line) added += pageLine(page, line);
    for (const char* key : {" f4 ", " f5 ", " f6 ", " p ", " f11 ", " left right ", " up down ",
                            " . / ", "right ctrl", "d-pad", "right stick", "shoulders",
                            "south button", "right trigger", " start ", " back ", " f7 ", " f8 ",
                            "47310"})
        EXPECT_NE(added.find(key), std::string::npos) << key;
}

TEST(HelpPages, PagesNameTheKeysAsTheKeyTableDoes) {
    std::string text;
    for (int page = 0; page < CYCLE_PAGES; ++page)
        for (int line = 0; line < PAGE_LINES; ++line) text += std::string(" ") + pageLine(page, line) + " ";
    std::vector<int> keys = {vk::F1, vk::F2, vk::F3, vk::F4, vk::F5, vk::F6, vk::F7, vk::F8, vk::F11, vk::F12,
                             vk::ESCAPE, vk::letter('P'), vk::letter('Z'), vk::LEFT, vk::RIGHT, vk::UP,
                             vk::DOWN, vk::OEM_PERIOD, vk::OEM_2};
    const TankKeys& player1 = PlayerKeys[0];
    for (int key : {player1.hullLeft, player1.hullRight, player1.turretLeft, player1.turretRight,
                    player1.forward, player1.backward, player1.fire})
        keys.push_back(key);
    for (int key : keys) {
        std::string name = vk::keyName(key);
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(text.find(" " + name + " "), std::string::npos) << name;
    }
}

TEST(TitleStatus, TextIsLowerCasedAndWrappedIntoTwoLinesAtMost) {
    const std::string longWord(STATUS_LINE_LENGTH + 4, 'a');
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } Cases[] = {
        {"", {}},
        {"   ", {}},
        {"Joining 127.0.0.1:47310...", {"joining 127.0.0.1:47310..."}},
        {"Online with [::1]:47310: the host starts with F1-F3",
         {"online with [::1]:47310: the host starts with", "f1-f3"}},
        {"Hosting on port 47310: 192.168.1.5 10.0.0.2 172.16.0.1 fd00::1 2001:db8::1 more words",
         {"hosting on port 47310: 192.168.1.5 10.0.0.2", "172.16.0.1 fd00::1 2001:db8::1 more words"}},
        {"a  b", {"a b"}},
        {"Host's address (Enter joins, Esc cancels):\n[::1]:5_", {"host's address (enter joins, esc cancels):", "[::1]:5_"}},
        {"first\n\nsecond\nthird", {"first", "second"}},
        {longWord, {std::string(STATUS_LINE_LENGTH, 'a'), "aaaa"}},
        {"one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen sixteen",
         {"one two three four five six seven eight nine", "ten eleven twelve thirteen fourteen fifteen"}},
    };
    for (const auto& c : Cases) EXPECT_EQ(statusLines(c.text), c.lines) << c.text;
}

TEST(TitleLettering, QuadsStayOnTheGridAndAreConvex) {
    int count = 0;
    float minX = 1e9f, maxX = -1e9f;
    for (const TitleQuad* q = TitleLetters; q->x1 > -900; ++q, ++count) {
        const float xs[4] = {q->x1, q->x2, q->x3, q->x4}, ys[4] = {q->y1, q->y2, q->y3, q->y4};
        float turn = 0;
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(ys[i], -5);
            EXPECT_LE(ys[i], 5);
            EXPECT_EQ(int(xs[i]) % 2, 0) << "x on the 2-unit grid";
            EXPECT_NE(int(ys[i]) % 2, 0) << "y on the 2-unit grid";
            minX = std::min(minX, xs[i]);
            maxX = std::max(maxX, xs[i]);
            const int j = (i + 1) % 4, k = (i + 2) % 4;
            const float cross = (xs[j] - xs[i]) * (ys[k] - ys[j]) - (ys[j] - ys[i]) * (xs[k] - xs[j]);
            // Every corner turns the same way (a quad with one straight corner is a triangle).
            if (cross != 0) {
                if (turn == 0) turn = cross;
                EXPECT_GT(cross * turn, 0) << "quad " << count << " is not convex";
            }
        }
    }
    EXPECT_GE(count, 12);
    EXPECT_FLOAT_EQ(minX, -maxX) << "centred on x = 0";
    EXPECT_NEAR(maxX - minX, 56, 4);

    int tagQuads = 0;
    for (const TitleQuad* q = TitleTag; q->x1 > -900; ++q) ++tagQuads;
    EXPECT_EQ(tagQuads, 12);
}

// ---- Animation ---------------------------------------------------------------------------------

TEST(TitleMotion, FirstPageRestsFor349FramesThenMoves) {
    TitleAnimation title;
    for (int frame = 1; frame < 350; ++frame) {
        advanceTitle(title);
        ASSERT_FLOAT_EQ(title.textOffset, 0.0f) << "frame " << frame;
    }
    advanceTitle(title);
    EXPECT_FLOAT_EQ(title.textOffset, 0.05f);
    EXPECT_EQ(title.currentPage, 0);
    // From the middle the first page needs 33 steps in all to leave.
    int steps = 1;
    TitlePicture picture{};
    while (title.currentPage == 0 && steps < 100) {
        picture = advanceTitle(title);
        ++steps;
    }
    EXPECT_EQ(steps, 33);
    EXPECT_EQ(title.currentPage, 1);
    EXPECT_FLOAT_EQ(title.textOffset, -1.6f);
    EXPECT_EQ(picture.page, 0) << "the page that left is drawn once more, at the left edge";
    EXPECT_FLOAT_EQ(picture.textOffset, -1.6f);
    EXPECT_EQ(advanceTitle(title).page, 1);
}

TEST(TitleMotion, PageArrivingFromTheLeftRestsOnItsThirtyThirdStep) {
    TitleAnimation title;
    title.textOffset = -1.6f;
    title.textHold = 1;
    title.currentPage = 2;
    for (int step = 1; step <= 32; ++step) {
        advanceTitle(title);
        ASSERT_EQ(title.textHold, 1) << "step " << step;
    }
    advanceTitle(title);
    EXPECT_EQ(title.textHold, 350);
    EXPECT_GT(title.textOffset, 0.0f);
    EXPECT_LT(title.textOffset, 0.05f);
    for (int frame = 0; frame < 349; ++frame) advanceTitle(title);
    EXPECT_LT(title.textOffset, 0.05f) << "still resting";
    advanceTitle(title);
    EXPECT_GT(title.textOffset, 0.05f);
    // 32 steps more, 65 in all, and the next page comes in.
    int steps = 34;
    while (title.currentPage == 2 && steps < 200) {
        advanceTitle(title);
        ++steps;
    }
    EXPECT_EQ(steps, 65);
    EXPECT_EQ(title.currentPage, 3);
}

TEST(TitleMotion, TheCycleRunsThroughTheAddedPagesBackToTheFirst) {
    TitleAnimation title;
    title.currentPage = PAGE_COUNT - 1;
    for (int next = PAGE_COUNT; next <= CYCLE_PAGES; ++next) {
        title.textOffset = 1.59f;  // the last step out
        title.textHold = 1;
        advanceTitle(title);
        EXPECT_EQ(title.currentPage, next % CYCLE_PAGES);
        EXPECT_FLOAT_EQ(title.textOffset, -1.6f);
    }
    title.currentPage = CYCLE_PAGES;  // out of range: the first page
    EXPECT_EQ(advanceTitle(title).page, 0);
    EXPECT_EQ(title.currentPage, 0);
}

// 46000 turns (about 46 hours on the title) are shed at once; a float that only grew would stop
// at 2^24 degrees, where adding one changes nothing.
TEST(TitleMotion, TagStillTurnsByOneDegreeAfterManyHours) {
    for (float start : {0.0f, 16559990.0f, 16777200.0f}) {
        TitleAnimation title;
        title.tagAngle = start;
        for (int frame = 0; frame < 30; ++frame) {
            const float before = title.tagAngle;
            ASSERT_EQ(advanceTitle(title).tagAngle, before) << "the frame shows the angle before its turn";
            double step = std::fmod(double(title.tagAngle) - before, 360.0);
            if (step < 0) step += 360;
            ASSERT_EQ(step, 1.0) << "from " << before;
        }
        EXPECT_LT(title.tagAngle, 16560000.0f);
    }
}

// ---- Drawing on a real context -----------------------------------------------------------------

class TitleTest : public testgl::GLTest {
protected:
    void SetUp() override {
        testgl::GLTest::SetUp();
        if (IsSkipped()) return;
        activeCamera = 1;
        world.matchRunning = false;
    }
    void TearDown() override {
        testgl::clearTexture(FontTexture);
        testgl::GLTest::TearDown();
    }
    // A font sheet whose glyph cells are white squares with a black border.
    static void whiteFont() {
        const int w = 128, h = 128;
        std::vector<uint8_t> rgb(w * h * 3, 255);
        testgl::uploadTexture(FontTexture, w, h, rgb);
    }
};

TEST_F(TitleTest, StatusPageSaysWhoPlaysEachTank) {
    EXPECT_STREQ(pageLine(STATUS_PAGE, 2), "  player 1   person           ") << "before any call";
    const struct {
        int levels[2];
        const char* player1;
        const char* player2;
    } Cases[] = {
        {{0, 3}, "  player 1   person           ", "  player 2   computer level 3 "},
        {{1, 2}, "  player 1   computer level 1 ", "  player 2   computer level 2 "},
        {{4, -1}, "  player 1   person           ", "  player 2   person           "},
    };
    for (const auto& c : Cases) {
        setTitlePlayers(c.levels);
        drawTextPage({STATUS_PAGE, 0.0f, 0.0f});
        EXPECT_STREQ(pageLine(STATUS_PAGE, 2), c.player1);
        EXPECT_STREQ(pageLine(STATUS_PAGE, 3), c.player2);
    }
}

TEST_F(TitleTest, BlankLinesDrawNothingAndTextLinesDrawGlyphs) {
    whiteFont();
    glDisable(GL_DEPTH_TEST);
    drawTextPage({0, 0.0f, 0.0f});  // the first page resting in the middle
    testgl::saveScreenshot("title-page1-white-font");
    glEnable(GL_DEPTH_TEST);
    // Line j sits at y = -0.11 - 0.08 j, depth 1.4; find its row on the screen.
    auto lineRow = [](int j) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        double sx = 0, sy = 0;
        testgl::project(0, -0.11 - 0.08 * j, -1.4, sx, sy);
        return int(sy);
    };
    auto brightInRow = [](int row) {
        int n = 0;
        for (int x = 0; x < 800; ++x) n += testgl::pixel(x, row).r > 250;
        return n;
    };
    EXPECT_EQ(brightInRow(lineRow(0)), 0) << "blank line";
    EXPECT_EQ(brightInRow(lineRow(2)), 0) << "blank line";
    EXPECT_GT(brightInRow(lineRow(1)), 100) << "tarvex 3d";
    EXPECT_GT(brightInRow(lineRow(5)), 250) << "the web address";
}

TEST_F(TitleTest, TitleScreenOverTheOrbitingArena) {
    const bool realFont = loadTexture("data/hetfont.bmp", FontTexture);
    loadTexture("data/Filled.bmp", FilledTexture);
    loadTexture("data/track.bmp", TrackTexture);
    if (!realFont) whiteFont();
    if (std::FILE* f = std::fopen("data/playfield.txt", "r")) {
        std::fclose(f);
        loadPlayfield(world.playfield, "data/playfield.txt");
    }
    TitleAnimation title;
    auto frame = [&title](float t) {
        world.frameTime = t;
        testgl::setView(0, 0, 800, 600);
        testgl::clearFrame();
        drawScene(world);
        drawTitle(advanceTitle(title), 0, 0.4f, -1.5f, 0.023f);
    };
    frame(0);
    testgl::saveScreenshot("title-first-frame");
    EXPECT_FLOAT_EQ(title.tagAngle, 1.0f);

    // The lettering: orange faces near the top centre of the window.
    int orange = 0;
    for (int x = 150; x < 650; x += 2)
        for (int y = 400; y < 560; y += 2) {
            const testgl::Rgb c = testgl::pixel(x, y);
            orange += c.r > 240 && c.g > 90 && c.g < 115 && c.b < 10;
        }
    EXPECT_GT(orange, 500);

    // Run on to the second page, resting in the middle.
    for (int i = 0; i < 349 + 33 + 33 + 5; ++i) frame(0.01f * i);
    EXPECT_EQ(title.currentPage, 1);
    EXPECT_LT(title.textOffset, 0.05f);
    testgl::saveScreenshot("title-second-page");

    releasePlayfield(world.playfield);
    releaseTextureImage();
    testgl::clearTexture(FilledTexture);
    testgl::clearTexture(TrackTexture);
}

}  // namespace
