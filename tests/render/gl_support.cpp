#include "tests/render/gl_support.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "game/game.h"
#include "platform/platform.h"
#include "render/render.h"

namespace testgl {

namespace {
bool contextMade = false;
bool contextFailed = false;
}  // namespace

bool haveContext() {
    if (contextMade) return true;
    if (contextFailed || std::getenv("DISPLAY") == nullptr) return false;
    if (!platform::createWindow("tarvex render test", 800, 600, false) ||
        !platform::createGLContext()) {
        contextFailed = true;
        return false;
    }
    platform::showWindow();
    createTextureSlots();
    contextMade = true;
    return true;
}

void setView(int x, int y, int width, int height, double fovDegrees) {
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovDegrees, double(width) / double(height), 0.1, 150.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void clearFrame() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Rgb pixel(int x, int y) {
    unsigned char c[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, c);
    return {c[0], c[1], c[2]};
}

bool project(double wx, double wy, double wz, double& sx, double& sy) {
    GLdouble model[16], proj[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double sz = 0;
    return gluProject(wx, wy, wz, model, proj, viewport, &sx, &sy, &sz) == GL_TRUE;
}

Rgb pixelAtWorld(double wx, double wy, double wz) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    applyCamera(world);
    double sx = -1, sy = -1;
    project(wx, wy, wz, sx, sy);
    glPopMatrix();
    return pixel(int(std::floor(sx)), int(std::floor(sy)));
}

void saveScreenshot(const std::string& name) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = 800, h = 600;
    std::vector<unsigned char> rgb(size_t(w) * h * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::filesystem::create_directories("/tmp/tarvex-shots");
    const std::string path = "/tmp/tarvex-shots/" + name + ".ppm";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int row = h - 1; row >= 0; --row) std::fwrite(&rgb[size_t(row) * w * 3], 1, size_t(w) * 3, f);
    std::fclose(f);
}

void uploadTexture(int slot, int width, int height, const std::vector<uint8_t>& rgb) {
    glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void clearTexture(int slot) {
    glDeleteTextures(1, &textureNames[slot]);
    glGenTextures(1, &textureNames[slot]);
}

GameState world;

void makeWorld(const PlayfieldBlock* blocks, int blockCount) {
    releaseWorld();
    resetGameState(world);
    world.playfield.blockCount = blockCount;
    world.playfield.blocks = const_cast<PlayfieldBlock*>(blocks);  // borrowed, never freed here
    FrameResult ignored;
    restartPlay(world, 1, ignored);
    for (int i = 0; i < world.playerCount; ++i) world.players[i].lives = START_LIVES;
    world.matchRunning = true;
}

void releaseWorld() {
    world.playfield.blockCount = 0;
    world.playfield.blocks = nullptr;
    resetGameState(world);
}

bool near(const Rgb& c, int r, int g, int b, int tolerance) {
    return std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance &&
           std::abs(c.b - b) <= tolerance;
}

std::string describe(const Rgb& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

void GLTest::SetUp() {
    if (!haveContext()) GTEST_SKIP() << "needs an X display with GL (run under xvfb-run)";
    setInitialGLState();
    setView(0, 0, 800, 600);
    windowWidth = 800;
    windowHeight = 600;
    activeCamera = 0;
    makeWorld();
    clearFrame();
}

void GLTest::TearDown() { releaseWorld(); }

}  // namespace testgl
