// The tank model seen through a narrow overview (4 degrees: about 100 pixels per unit) and
// through the chase camera.
#include <GL/gl.h>
#include <gtest/gtest.h>

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

constexpr int MuzzleColour[3] = {51, 77, 26};   // (0.2, 0.3, 0.1)
constexpr int BarrelColour[3] = {102, 128, 89}; // (0.4, 0.5, 0.35)

bool isFloor(const testgl::Rgb& c) { return c.b < 10 && c.g > 110 && c.g < 140; }
bool is(const testgl::Rgb& c, const int rgb[3]) { return near(c, rgb[0], rgb[1], rgb[2], 8); }

class TankTest : public testgl::GLTest {
protected:
    void SetUp() override {
        testgl::GLTest::SetUp();
        if (IsSkipped()) return;
        world.playerCount = 1;  // player 0 alone at the origin
        world.players[0].x = 0;
        world.players[0].y = 0;
        world.players[0].heading = 0;
        world.players[0].turretAngle = 0;
        activeCamera = 0;
        testgl::setView(0, 0, 800, 600, 4.0);
    }
    void draw(const char* shot) {
        testgl::clearFrame();
        drawScene(world);
        if (shot) testgl::saveScreenshot(shot);
    }
};

TEST_F(TankTest, HeadingZeroPointsNoseAndBarrelAlongPlusX) {
    draw("tank-heading0-top");
    EXPECT_TRUE(is(pixelAtWorld(2.5, 0, 0.53), MuzzleColour)) << describe(pixelAtWorld(2.5, 0, 0.53));
    EXPECT_TRUE(isFloor(pixelAtWorld(2.66, 0, -0.8))) << "muzzle tip is at x + 2.6";
    EXPECT_TRUE(is(pixelAtWorld(1.6, 0, 0.5), BarrelColour)) << describe(pixelAtWorld(1.6, 0, 0.5));
    // Fender front slopes reach out to x + 2.3; at the rear only to x - 2.1.
    EXPECT_FALSE(isFloor(pixelAtWorld(2.2, 1.3, -0.2)));
    EXPECT_FALSE(isFloor(pixelAtWorld(2.2, -1.3, -0.2)));
    EXPECT_TRUE(isFloor(pixelAtWorld(-2.2, 1.3, -0.8)));
    EXPECT_TRUE(isFloor(pixelAtWorld(-2.2, -1.3, -0.8)));
    EXPECT_TRUE(isFloor(pixelAtWorld(0, 1.6, -0.8))) << "tracks end at 1.55 sideways";
    // The turret top is 0.35 of the player colour (1, 0.2, 0).
    EXPECT_TRUE(near(pixelAtWorld(0, 0, 0.8), 89, 18, 0)) << describe(pixelAtWorld(0, 0, 0.8));
}

TEST_F(TankTest, TurretTurnsOnTopOfTheHull) {
    world.players[0].heading = 90;
    world.players[0].turretAngle = -90;
    draw("tank-heading90-turret-90");
    // The barrel points along +X ...
    EXPECT_TRUE(is(pixelAtWorld(2.5, 0, 0.53), MuzzleColour)) << describe(pixelAtWorld(2.5, 0, 0.53));
    EXPECT_TRUE(is(pixelAtWorld(1.6, 0, 0.5), BarrelColour));
    EXPECT_TRUE(isFloor(pixelAtWorld(-2.5, 0, -0.8)));
    // ... while the hull points along +Y: the fender fronts reach y + 2.3, the rears y - 2.1.
    EXPECT_FALSE(isFloor(pixelAtWorld(1.3, 2.2, -0.2)));
    EXPECT_TRUE(isFloor(pixelAtWorld(1.3, -2.2, -0.8)));

    // Spinning the turret a full turn further changes nothing.
    world.players[0].turretAngle = 270;
    draw(nullptr);
    EXPECT_TRUE(is(pixelAtWorld(2.5, 0, 0.53), MuzzleColour));
}

TEST_F(TankTest, BlackTankKeepsItsFixedColours) {
    world.players[0].red = world.players[0].green = world.players[0].blue = 0;
    draw("tank-black");
    EXPECT_TRUE(near(pixelAtWorld(0, 0, 0.8), 0, 0, 0, 3)) << "turret top";
    EXPECT_TRUE(near(pixelAtWorld(0, 1.3, 0.1), 0, 0, 0, 3)) << "fender top";
    EXPECT_TRUE(is(pixelAtWorld(1.6, 0, 0.5), BarrelColour));
    EXPECT_TRUE(is(pixelAtWorld(2.5, 0, 0.53), MuzzleColour));
}

// The chase camera looks at the rear ends of the tracks, which carry the tread texture.
class TreadTest : public TankTest {
protected:
    void SetUp() override {
        TankTest::SetUp();
        if (IsSkipped()) return;
        testgl::setView(0, 0, 800, 600);
        activeCamera = 2;
    }
    void TearDown() override {
        testgl::clearTexture(TrackTexture);
        TankTest::TearDown();
    }
    // The rear end of the right track (local +Y) lies at world -Y for heading 0.
    testgl::Rgb rightTread() { return pixelAtWorld(-2, -1.3, -0.5); }
    testgl::Rgb leftTread() { return pixelAtWorld(-2, 1.3, -0.5); }
};

TEST_F(TreadTest, MissingTrackTextureDrawsWhiteTreads) {
    testgl::clearTexture(TrackTexture);
    draw("tank-chase-white-treads");
    EXPECT_TRUE(near(rightTread(), 255, 255, 255, 3)) << describe(rightTread());
    EXPECT_TRUE(near(leftTread(), 255, 255, 255, 3)) << describe(leftTread());
}

TEST_F(TreadTest, ScrollMovesTheTreadOfOneTrackOnly) {
    // 1 x 4 texture: v 0..0.5 red, 0.5..1 blue (nearest would show the halves; linear blends
    // them near the seams, so sample where each dominates).
    std::vector<uint8_t> stripes = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
    testgl::uploadTexture(TrackTexture, 1, 4, stripes);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    world.players[0].rightTrackScroll = 1.0f;
    world.players[0].leftTrackScroll = 1.0f;
    draw("tank-chase-striped-treads");
    const testgl::Rgb right0 = rightTread(), left0 = leftTread();
    EXPECT_TRUE(right0.r > 200 || right0.b > 200) << describe(right0);
    EXPECT_EQ(right0.r, left0.r);

    // Half a repeat moves the stripes on the right track; the left track stays.
    world.players[0].rightTrackScroll = 1.5f;
    draw(nullptr);
    const testgl::Rgb right1 = rightTread(), left1 = leftTread();
    EXPECT_NE(right1.r > 128, right0.r > 128) << describe(right0) << " then " << describe(right1);
    EXPECT_EQ(left1.r, left0.r);
    EXPECT_EQ(left1.b, left0.b);

    // A whole repeat looks the same (the texture wraps).
    world.players[0].rightTrackScroll = 2.0f;
    draw(nullptr);
    EXPECT_EQ(rightTread().r, right0.r);
}

TEST_F(TreadTest, ChaseCloseUp) {
    std::vector<uint8_t> tread(16 * 16 * 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 3; ++c) tread[(y * 16 + x) * 3 + c] = (y / 4) % 2 ? 200 : 60;
    testgl::uploadTexture(TrackTexture, 16, 16, tread);
    world.players[0].turretAngle = 30;
    draw("tank-chase");
    // Both tracks' rear ends show texels of the stripes, neither white nor the clear colour.
    EXPECT_FALSE(near(rightTread(), 255, 255, 255, 3));
    EXPECT_FALSE(near(rightTread(), 51, 153, 204, 3));
}

}  // namespace
