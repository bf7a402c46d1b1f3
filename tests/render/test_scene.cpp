// Whole views drawn by drawScene under a real context: the arena from above and from a chase
// camera, and the hit pause with its lives digits.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"
#include "tests/render/gl_support.h"

using testgl::describe;
using testgl::near;
using testgl::pixel;
using testgl::pixelAtWorld;

using testgl::world;

namespace {

class SceneTest : public testgl::GLTest {};

bool isBackdrop(const testgl::Rgb& c) { return c.r < 10 && c.b > 200; }  // cyan to deep blue
bool isFloor(const testgl::Rgb& c) { return c.b < 10 && c.g > 110 && c.g < 140; }

TEST_F(SceneTest, OverviewShowsTheFloorWithABackdropMarginOnEverySide) {
    world.playerCount = 0;  // the bare arena
    drawScene(world);
    testgl::saveScreenshot("overview-bare");

    // About 14 pixels of backdrop on every side of an 800 x 600 view, floor inside.
    for (int y : {100, 300, 500}) {
        EXPECT_TRUE(isBackdrop(pixel(8, y))) << describe(pixel(8, y));
        EXPECT_TRUE(isFloor(pixel(20, y))) << describe(pixel(20, y));
        EXPECT_TRUE(isBackdrop(pixel(791, y))) << describe(pixel(791, y));
        EXPECT_TRUE(isFloor(pixel(779, y))) << describe(pixel(779, y));
    }
    for (int x : {100, 400, 700}) {
        EXPECT_TRUE(isBackdrop(pixel(x, 7))) << describe(pixel(x, 7));
        EXPECT_TRUE(isFloor(pixel(x, 19))) << describe(pixel(x, 19));
        EXPECT_TRUE(isBackdrop(pixel(x, 592))) << describe(pixel(x, 592));
        EXPECT_TRUE(isFloor(pixel(x, 580))) << describe(pixel(x, 580));
    }
    // +Y is up on the screen: green along the top edge, olive along the bottom.
    EXPECT_LT(pixel(400, 575).r, 10);
    EXPECT_GT(pixel(400, 25).r, 115);
    // Backdrop: cyan above, deep blue below.
    EXPECT_GT(pixel(400, 595).g, 230);
    EXPECT_LT(pixel(400, 3).g, 25);
}

TEST_F(SceneTest, WallFacesCarryTheirShadingFactors) {
    const PlayfieldBlock white{10, -3, 14, 3, 1, 1, 1};
    testgl::makeWorld(&white, 1);
    world.players[1].x = 40;  // keep player 1 out of the way
    world.players[1].y = 30;

    // Chase camera behind player 0 at the origin: the top and the face towards -X.
    world.players[0].x = 0;
    world.players[0].y = 0;
    world.players[0].heading = 0;
    activeCamera = 2;
    testgl::clearFrame();
    drawScene(world);
    testgl::saveScreenshot("wall-from-chase");
    EXPECT_TRUE(near(pixelAtWorld(12, 0, 0.7), 255, 255, 255)) << describe(pixelAtWorld(12, 0, 0.7));
    EXPECT_TRUE(near(pixelAtWorld(10, 0, 0), 153, 153, 153)) << describe(pixelAtWorld(10, 0, 0));

    // Looking along +Y from below the block: the face at y1.
    world.players[0].x = 12;
    world.players[0].y = -12;
    world.players[0].heading = 90;
    testgl::clearFrame();
    drawScene(world);
    EXPECT_TRUE(near(pixelAtWorld(12, -3, 0), 204, 204, 204)) << describe(pixelAtWorld(12, -3, 0));

    // A coloured block scales each component.
    const PlayfieldBlock red{10, -3, 14, 3, 1, 0.5f, 0};
    world.playfield.blocks = const_cast<PlayfieldBlock*>(&red);
    testgl::clearFrame();
    drawScene(world);
    EXPECT_TRUE(near(pixelAtWorld(12, -3, 0), 204, 102, 0)) << describe(pixelAtWorld(12, -3, 0));
}

TEST_F(SceneTest, ArenaFromTheOrbitAndTheRealPlayfield) {
    // The game's own arena file when it is there; otherwise a few blocks of our own.
    static const PlayfieldBlock fallback[] = {{-20, -2, -18, 12, 0.8f, 0.3f, 0.1f},
                                              {18, -12, 20, 2, 0.8f, 0.3f, 0.1f},
                                              {-4, -4, 4, 4, 0.5f, 0.5f, 0.6f}};
    testgl::makeWorld();
    if (std::FILE* f = std::fopen("data/playfield.txt", "r")) {
        std::fclose(f);
        loadPlayfield(world.playfield, "data/playfield.txt");
    }
    if (world.playfield.blockCount == 0) {
        world.playfield.blocks = const_cast<PlayfieldBlock*>(fallback);
        world.playfield.blockCount = 3;
    }
    for (int camera : {0, 1}) {
        activeCamera = camera;
        world.frameTime = 0.7f;
        testgl::clearFrame();
        drawScene(world);
        testgl::saveScreenshot(camera == 0 ? "arena-overview" : "arena-orbit");
        // Nothing is left in the clear colour: floor, walls or backdrop cover every pixel.
        for (int x = 0; x < 800; x += 97)
            for (int y = 0; y < 600; y += 89)
                EXPECT_FALSE(near(pixel(x, y), 51, 153, 204, 3)) << x << "," << y;
    }
    if (world.playfield.blocks != fallback) {
        delete[] world.playfield.blocks;  // loaded by the game's reader: not ours to keep
    }
    world.playfield.blocks = nullptr;
    world.playfield.blockCount = 0;
}

TEST_F(SceneTest, HitPauseDrawsTheLivesInsteadOfTheBulletsAndAdvancesInTheFirstView) {
    world.players[0].lives = 5;
    world.players[1].lives = 4;
    world.bullets[0].life = 10;
    world.bullets[0].x = -37.5f + 10;  // in front of player 0, clear of the digits
    world.bullets[0].y = 10;
    world.hitCountdown = 100;
    world.hitPlayer = 1;
    const float turret = world.players[1].turretAngle;

    drawScene(world);
    testgl::saveScreenshot("lives-5-4");
    EXPECT_EQ(world.hitCountdown, 100);  // drawing only draws: the frame steps the pause
    EXPECT_FLOAT_EQ(world.players[1].turretAngle, turret);
    EXPECT_FALSE(near(pixelAtWorld(world.bullets[0].x, world.bullets[0].y, 0.59), 0, 0, 0, 20))
        << "no bullet during the pause";

    // Design points of the glyphs, in eye space at depth 1.5 with scale 0.005.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    auto digitPixel = [](float cx, float gx, float gy) {
        double sx = 0, sy = 0;
        testgl::project(cx + 0.005 * gx, 0.005 * gy, -1.5, sx, sy);
        return pixel(int(sx), int(sy));
    };
    auto white = [](const testgl::Rgb& c) { return near(c, 255, 255, 255, 3); };
    // Left: a 5 (top bar, bottom bar, nothing low on the right); right: a 4.
    EXPECT_TRUE(white(digitPixel(-0.4f, 0, 30)));
    EXPECT_TRUE(white(digitPixel(-0.4f, -30, -30)));
    EXPECT_FALSE(white(digitPixel(-0.4f, 30, -35)));
    EXPECT_FALSE(white(digitPixel(0.4f, 0, 30)));
    EXPECT_FALSE(white(digitPixel(0.4f, -30, -30)));
    EXPECT_TRUE(white(digitPixel(0.4f, 30, -35)));
    EXPECT_TRUE(white(digitPixel(0.4f, -30, 10)));
    // The window centre between them stays free.
    EXPECT_FALSE(white(pixel(400, 300)));

    // The lives cover the whole window even when the view was a split-screen half; the half's
    // own viewport is back for the rest of the scene.
    testgl::setView(401, 0, 399, 600);
    testgl::clearFrame();
    drawScene(world);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 401);
    EXPECT_EQ(viewport[2], 399);
    testgl::setView(0, 0, 800, 600);  // where the digits were drawn
    EXPECT_TRUE(white(digitPixel(-0.4f, 0, 30)));
    EXPECT_EQ(world.hitCountdown, 100);
}

TEST_F(SceneTest, BulletsReturnAfterThePause) {
    // With the pause over the next draw shows the bullets again: one with life 0 is drawn.
    world.bullets[0].life = 0;
    world.bullets[0].x = 0;
    world.bullets[0].y = 0;
    testgl::setView(0, 0, 800, 600, 4.0);
    testgl::clearFrame();
    drawScene(world);
    EXPECT_TRUE(near(pixelAtWorld(0, 0, 0.59), 0, 0, 0, 10)) << describe(pixelAtWorld(0, 0, 0.59));
    world.bullets[0].life = -1;
    testgl::clearFrame();
    drawScene(world);
    EXPECT_TRUE(isFloor(pixelAtWorld(0, 0, 0.59))) << describe(pixelAtWorld(0, 0, 0.59));
}

TEST_F(SceneTest, DigitsAboveNineAndNegativeCountsShowNine) {
    auto countWhite = [](int value) {
        testgl::clearFrame();
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        drawDigit(value, 0, 0, -1.5f, 0.005f);
        int n = 0;
        for (int x = 300; x < 500; x += 3)
            for (int y = 200; y < 400; y += 3) n += near(pixel(x, y), 255, 255, 255, 3);
        return n;
    };
    const int nine = countWhite(9);
    EXPECT_GT(nine, 300);
    EXPECT_EQ(countWhite(12), nine);
    EXPECT_EQ(countWhite(-1), nine);
    EXPECT_NE(countWhite(8), nine);
    EXPECT_EQ(countWhite(256 + 3), countWhite(3));  // only the low byte counts
}

TEST(DigitGlyphs, EveryGlyphIsAListOfConvexPolygonsInsideTheDesignBox) {
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE(d);
        const float* p = DigitGlyphs[d];
        int polygons = 0;
        int points = 0;
        for (int i = 0; i < 200; i += 2) {
            if (p[i] <= -900) break;
            if (p[i] > 900) {
                ASSERT_GE(points, 3);
                points = 0;
                continue;
            }
            if (points == 0) ++polygons;
            ++points;
            EXPECT_GE(p[i], -40);
            EXPECT_LE(p[i], 40);
            EXPECT_GE(p[i + 1], -40);
            EXPECT_LE(p[i + 1], 40);
        }
        EXPECT_GE(points, 3);
        EXPECT_GE(polygons, 2);
    }
}

}  // namespace
