// Shields and powerups under additive blending, seen from the overview.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"
#include "tests/render/gl_support.h"

using testgl::describe;
using testgl::near;
using testgl::pixelAtWorld;

using testgl::world;

namespace {

class EffectsTest : public testgl::GLTest {
protected:
    void TearDown() override {
        testgl::clearTexture(FontTexture);
        testgl::clearTexture(FilledTexture);
        testgl::GLTest::TearDown();
    }
    void draw(const char* shot = nullptr) {
        testgl::clearFrame();
        drawScene(world);
        if (shot) testgl::saveScreenshot(shot);
    }
    // A font sheet that is black but for one bright cell (row from the top, column).
    static void fontWithCell(int row, int column) {
        const int w = 64, h = 64;
        std::vector<uint8_t> rgb(w * h * 3, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
                const bool inCell = u >= column * 0.125f && u < (column + 1) * 0.125f &&
                                    v <= 1 - row * 0.140625f && v > 1 - (row + 1) * 0.140625f;
                if (inCell) rgb[(y * w + x) * 3] = 255;  // red
            }
        testgl::uploadTexture(FontTexture, w, h, rgb);
    }
};

TEST_F(EffectsTest, ShieldBrightensWhatIsBehindItByItsPulse) {
    testgl::setView(0, 0, 800, 600, 8.0);
    world.players[0].x = 0;
    world.players[0].y = 0;
    world.players[1].x = 0;
    world.players[1].y = -6;
    // Inside the shield box but beside the tank, the turret top, and beside the other tank.
    const double points[3][3] = {{0, 1.75, -0.8}, {0, 0, 0.8}, {0, -6 + 1.75, -0.8}};
    draw();
    testgl::Rgb before[3];
    for (int i = 0; i < 3; ++i) before[i] = pixelAtWorld(points[i][0], points[i][1], points[i][2]);

    world.players[0].powerupKind = Shield;
    world.players[0].powerupTimer = 100;
    world.shieldPulse = 0.4f;
    draw("shield");
    for (int i = 0; i < 2; ++i) {
        const testgl::Rgb after = pixelAtWorld(points[i][0], points[i][1], points[i][2]);
        SCOPED_TRACE(describe(before[i]) + " -> " + describe(after));
        EXPECT_NEAR(after.r, std::min(255, before[i].r + 102), 4);
        EXPECT_NEAR(after.g, std::min(255, before[i].g + 102), 4);
        EXPECT_NEAR(after.b, std::min(255, before[i].b + 102), 4);
    }
    // The other tank has no shield; a shield whose timer has run out is not drawn.
    const testgl::Rgb other = pixelAtWorld(points[2][0], points[2][1], points[2][2]);
    EXPECT_TRUE(near(other, before[2].r, before[2].g, before[2].b, 3)) << describe(other);
    world.players[0].powerupTimer = 0;
    draw();
    EXPECT_TRUE(near(pixelAtWorld(0, 1.75, -0.8), before[0].r, before[0].g, before[0].b, 3));
}

TEST_F(EffectsTest, PowerupShowsItsKindsLetterCellOnTop) {
    testgl::setView(0, 0, 800, 600, 8.0);
    world.players[0].x = -30;
    world.players[1].x = 30;
    world.powerup = {100, 0, 0, Shield};
    fontWithCell(3, 4);  // 's'
    testgl::clearTexture(FilledTexture);
    draw("powerup-shield-cell");
    const testgl::Rgb floor = pixelAtWorld(3, 0, -0.8);
    const testgl::Rgb top = pixelAtWorld(0, 0, 1.5);
    // Additive: the red cell adds red to the floor below it.
    EXPECT_GE(top.r, std::min(255, floor.r + 200)) << describe(top) << " over " << describe(floor);
    EXPECT_NEAR(top.g, floor.g, 8);

    // TankSpeed shows the 't' cell, which is black in this sheet: the floor shows through.
    world.powerup.kind = TankSpeed;
    draw();
    const testgl::Rgb t = pixelAtWorld(0, 0, 1.5);
    EXPECT_TRUE(near(t, floor.r, floor.g, floor.b, 8)) << describe(t);
}

TEST_F(EffectsTest, UnknownPowerupKindIsNotDrawn) {
    testgl::setView(0, 0, 800, 600, 8.0);
    world.powerup = {0, 0, 0, RapidFire};
    draw();
    const testgl::Rgb empty = pixelAtWorld(0, 0, 1);
    for (int kind : {5, 0, -1, int{RapidFire}}) {
        SCOPED_TRACE(kind);
        world.powerup = {100, 0, 0, kind};
        draw();
        EXPECT_EQ(near(pixelAtWorld(0, 0, 1), empty.r, empty.g, empty.b, 2), kind != RapidFire);
        EXPECT_EQ(world.powerup.life, 100);  // drawing never changes the game
    }
}

TEST_F(EffectsTest, PowerupSidesWithoutTheFilledPatternSaturate) {
    testgl::setView(0, 0, 800, 600, 8.0);
    world.players[0].x = -30;
    world.players[1].x = 30;
    testgl::clearTexture(FilledTexture);
    fontWithCell(3, 4);
    world.powerup = {100, 0, 0, Shield};
    world.powerupSpin = 90;  // about (0, 1, 1): a side turns towards the camera
    draw("powerup-tumbled");
    int white = 0;
    for (int x = 300; x < 500; x += 4)
        for (int y = 200; y < 400; y += 4) white += near(testgl::pixel(x, y), 255, 255, 255, 3);
    EXPECT_GT(white, 50);
}

TEST_F(EffectsTest, ScreenshotsOfEveryPowerupKindAndBullets) {
    testgl::setView(0, 0, 800, 600, 20.0);
    world.players[0].x = -6;
    world.players[1].x = 6;
    const bool realFont = loadTexture("data/hetfont.bmp", FontTexture);
    const bool realFilled = loadTexture("data/Filled.bmp", FilledTexture);
    loadTexture("data/track.bmp", TrackTexture);
    if (!realFont) fontWithCell(3, 4);
    const char* names[5] = {nullptr, "powerup-tankspeed", "powerup-bulletspeed", "powerup-shield",
                            "powerup-rapidfire"};
    for (int kind = 1; kind <= 4; ++kind) {
        world.powerup = {100, 0, 0, kind};
        world.powerupSpin = 20;
        world.bullets[0] = {-2, 2, 0, 0, 0, 5};
        world.bulletSpin = 30.0f * kind;
        draw(names[kind]);
        EXPECT_NEAR(pixelAtWorld(-2, 2, 0.59).g, 0, 60) << "bullet";  // dark cube
    }
    (void)realFilled;
    testgl::clearTexture(TrackTexture);
}

}  // namespace
