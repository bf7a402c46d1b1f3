// The window and GL context over SDL2: a double-buffered context with a depth buffer that draws
// immediate-mode primitives, and the display-mode check. Runs under Xvfb.
#include "platform/platform.h"

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <utility>

#ifdef TARVEX_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    }
    void TearDown() override {
        platform::destroyGLContext();
        platform::destroyWindow();
    }
    static void readPixel(int x, int y, unsigned char rgb[3]) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    }
};

TEST_F(WindowTest, ContextDrawsWithDepthTestInBothBuffers) {
    ASSERT_TRUE(platform::createWindow("window test", 320, 240, false));
    ASSERT_TRUE(platform::createGLContext());
    platform::showWindow();

    GLint depthBits = 0, doubleBuffered = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_GE(depthBits, 16);
    EXPECT_TRUE(doubleBuffered);

    glViewport(0, 0, 320, 240);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 320.0 / 240.0, 0.1, 150.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.2f, 0.6f, 0.8f, 0.5f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // A near red quad over the left half, then a far green quad over everything: the depth test
    // must keep the red one in front.
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(-2, -2, -3);
    glVertex3f(0, -2, -3);
    glVertex3f(0, 2, -3);
    glVertex3f(-2, 2, -3);
    glEnd();
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(-20, -20, -10);
    glVertex3f(20, -20, -10);
    glVertex3f(20, 20, -10);
    glVertex3f(-20, 20, -10);
    glEnd();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    unsigned char left[3], right[3];
    readPixel(60, 120, left);
    readPixel(260, 120, right);
    EXPECT_GT(left[0], 200);
    EXPECT_LT(left[1], 50);
    EXPECT_LT(right[0], 50);
    EXPECT_GT(right[1], 200);

    // After the swap the next frame starts from a clear in another colour.
    platform::swapBuffers();
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char cleared[3];
    readPixel(10, 10, cleared);
    EXPECT_EQ(cleared[2], 255);
    EXPECT_EQ(cleared[0], 0);
}

TEST_F(WindowTest, OnlyOneWindowAndContextAtATime) {
    EXPECT_FALSE(platform::createGLContext());  // no window yet
    ASSERT_TRUE(platform::createWindow("one", 64, 64, false));
    EXPECT_FALSE(platform::createWindow("two", 64, 64, false));
    ASSERT_TRUE(platform::createGLContext());
    EXPECT_FALSE(platform::createGLContext());
    platform::destroyGLContext();
    platform::destroyGLContext();  // twice is harmless
    platform::destroyWindow();
    // A new window and context can be made after the old ones are gone.
    ASSERT_TRUE(platform::createWindow("three", 64, 64, false));
    EXPECT_TRUE(platform::createGLContext());
}

TEST_F(WindowTest, DisplayModeIsOfferedOnlyInTheScreenSize) {
    // The tests run on an 800 x 600 screen; no display offers 1000 x 700.
    EXPECT_FALSE(platform::changeDisplayMode(1000, 700, 16));
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_TRUE(platform::changeDisplayMode(desktop.w, desktop.h, 16));
    platform::restoreDisplayMode();
}

TEST_F(WindowTest, FullScreenWindowCoversTheChosenMode) {
    if (!platform::changeDisplayMode(800, 600, 16)) GTEST_SKIP() << "screen is not 800 x 600";
    ASSERT_TRUE(platform::createWindow("full", 800, 600, true));
    ASSERT_TRUE(platform::createGLContext());
    platform::showWindow();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    platform::restoreDisplayMode();
}

// The size that the message loop reports last within a few frame ticks (0 x 0: none).
std::pair<int, int> reportedSize() {
    struct Sizes final : platform::WindowEvents {
        std::pair<int, int> last{0, 0};
        int ticks = 0;
        void keyDown(int) override {}
        void keyUp(int) override {}
        void resized(int width, int height) override { last = {width, height}; }
        void activated(bool) override {}
        void closeRequested() override {}
        void frameTick() override {
            if (++ticks == 5) platform::postQuit(0);
        }
    } sizes;
    platform::runMessageLoop(sizes);
    return sizes.last;
}

TEST_F(WindowTest, WindowResizesAndSwitchesToFullScreenAtTheDesktopsSizeAndBack) {
    ASSERT_TRUE(platform::createWindow("resize", 320, 240, false));
    ASSERT_TRUE(platform::createGLContext());
    platform::showWindow();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
    reportedSize();
    SDL_SetWindowSize(window, 500, 400);  // as a user dragging the border
    EXPECT_EQ(reportedSize(), std::make_pair(500, 400));

    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_FALSE(platform::isFullScreen());
    ASSERT_TRUE(platform::setFullScreen(true));
    EXPECT_TRUE(platform::isFullScreen());
    EXPECT_EQ(reportedSize(), std::make_pair(desktop.w, desktop.h));
    ASSERT_TRUE(platform::setFullScreen(false));
    EXPECT_FALSE(platform::isFullScreen());
    EXPECT_EQ(reportedSize(), std::make_pair(500, 400));
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
    platform::destroyWindow();
    EXPECT_FALSE(platform::setFullScreen(true));  // no window
}

// What the message loop delivers as keys and text within a number of frame ticks, or until text
// came.
std::vector<std::string> typedWithin(int ticks) {
    struct Typing final : platform::WindowEvents {
        std::vector<std::string> seen;
        int ticksLeft = 0;
        void keyDown(int code) override { seen.push_back("down " + std::to_string(code)); }
        void keyUp(int) override {}
        void textTyped(const std::string& text) override { seen.push_back("text " + text); }
        void resized(int, int) override {}
        void activated(bool) override {}
        void closeRequested() override {}
        void frameTick() override {
            bool texted = !seen.empty() && seen.back().rfind("text", 0) == 0;
            if (--ticksLeft <= 0 || texted) platform::postQuit(0);
        }
    } typing;
    typing.ticksLeft = ticks;
    platform::runMessageLoop(typing);
    return typing.seen;
}

// Text input is off when the window is made (keys only, no input method), and typed text comes
// only between startTextInput and stopTextInput: SDL's own text events, and a key typed on the X
// server, which also gives its key-down.
TEST_F(WindowTest, TextIsTypedOnlyBetweenStartAndStop) {
    using Seen = std::vector<std::string>;
    ASSERT_TRUE(platform::createWindow("typing", 64, 64, false));
    platform::showWindow();
    typedWithin(5);
    EXPECT_FALSE(SDL_IsTextInputActive());
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "w\xc3\xa9");
    platform::startTextInput();
    EXPECT_TRUE(SDL_IsTextInputActive());
    SDL_PushEvent(&text);
    EXPECT_EQ(typedWithin(5), (Seen{"text w\xc3\xa9"}));
    if (std::system("xdotool key w >/dev/null 2>&1") == 0) {
        EXPECT_EQ(typedWithin(200), (Seen{"down 87", "text w"}));
    }
    platform::stopTextInput();
    EXPECT_FALSE(SDL_IsTextInputActive());
    SDL_PushEvent(&text);
    EXPECT_EQ(typedWithin(5), Seen{});
}

#ifdef TARVEX_HAVE_X11
// Without a window manager a shown window takes the keyboard focus; when it goes, the focus must
// fall back to the window under the pointer rather than to nothing, or a program started
// earlier (the game, say) would never get keys again.
TEST_F(WindowTest, KeyboardFocusFallsBackToThePointerWhenTheWindowGoes) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(platform::createWindow("focus", 64, 64, false));
    platform::showWindow();
    platform::destroyWindow();
    SDL_PumpEvents();
    XSync(display, False);
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    EXPECT_EQ(focus, static_cast<::Window>(PointerRoot));
    XCloseDisplay(display);
}
#endif

}  // namespace
