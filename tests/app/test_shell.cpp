// The window procedure, the GL window's creation and fall-back question, and the mouse rule.
#include "shell_fixture.h"

#include "game/game.h"
#include "game/input_sources.h"
#include "platform/keys.h"
#include "render/render.h"

#include <GL/gl.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// Runs the message loop for one frame tick; returns the loop's quit code: 77 when nothing had
// asked to quit before.
int quitCodeAfterOneTick() {
    struct OneTick final : platform::WindowEvents {
        void keyDown(int) override {}
        void keyUp(int) override {}
        void resized(int, int) override {}
        void activated(bool) override {}
        void closeRequested() override {}
        void frameTick() override { platform::postQuit(77); }
    } events;
    return platform::runMessageLoop(events);
}

using GLWindowTest = ShellTest;

TEST_F(GLWindowTest, UnsupportedFullScreenAnsweredNoClosesWithoutAWindow) {
    answer = MessageAnswer::No;
    EXPECT_FALSE(createGLWindow("t", 1000, 700, 16, true));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?");
    EXPECT_EQ(messages[0].caption, "Open GL");
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages[1].text, "Program Will Now Close.");
    EXPECT_EQ(messages[1].caption, "ERROR");
    EXPECT_EQ(messages[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages[1].icon, MessageIcon::Stop);
    // No window was made: a new one can be.
    EXPECT_TRUE(platform::createWindow("probe", 64, 64, false));
    platform::destroyWindow();
}

TEST_F(GLWindowTest, UnsupportedFullScreenAnsweredYesRunsWindowedWithTheGLState) {
    answer = MessageAnswer::Yes;
    ASSERT_TRUE(createGLWindow("t", 640, 480, 16, true));  // the test screen is 800 x 600
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(windowHeight, 480);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.2f);
    EXPECT_FLOAT_EQ(clear[1], 0.6f);
    EXPECT_FLOAT_EQ(clear[2], 0.8f);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);
    GLint value;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Three distinct texture names, generated together.
    EXPECT_NE(textureNames[0], 0u);
    EXPECT_NE(textureNames[0], textureNames[1]);
    EXPECT_NE(textureNames[1], textureNames[2]);
}

TEST_F(GLWindowTest, FullScreenInTheScreensModeAsksNothing) {
    if (!platform::changeDisplayMode(800, 600, 16)) GTEST_SKIP() << "screen is not 800 x 600";
    ASSERT_TRUE(createGLWindow("t", 800, 600, 16, true));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(fullScreen);
}

// Start-up from a folder whose data lacks the tread bitmap: the window still opens, nothing is
// reported, slots 0 and 1 hold their images and slot 2 stays empty.
TEST_F(GLWindowTest, MissingBitmapLeavesItsSlotEmptyAndStartUpGoesOn) {
    char folder[] = "/tmp/tarvex_shell_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string data = std::string(folder) + "/data";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    for (const char* name : {"hetfont.bmp", "Filled.bmp"}) {
        std::ifstream in(std::string("data/") + name, std::ios::binary);
        std::ofstream out(data + "/" + name, std::ios::binary);
        out << in.rdbuf();
    }
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    bool created = createGLWindow("t", 320, 240, 16, false);
    ASSERT_EQ(chdir(previous), 0);
    std::filesystem::remove_all(folder);

    ASSERT_TRUE(created);
    EXPECT_TRUE(messages.empty());
    GLint width[3];
    for (int slot = 0; slot < 3; ++slot) {
        glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width[slot]);
    }
    EXPECT_GT(width[0], 0);
    EXPECT_GT(width[1], 0);
    EXPECT_EQ(width[2], 0);
}

// A window that cannot be made (no display to make it on) is reported once and fails.
TEST(GLWindowFailure, NoDisplayReportsWindowCreationError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":31999", 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            platform::setMessageObserver([](const platform::MessageRecord& m) {
                std::fprintf(stderr, "[%s|%s]", m.caption.c_str(), m.text.c_str());
                return MessageAnswer::Ok;
            });
            std::exit(createGLWindow("t", 320, 240, 16, false) ? 1 : 3);
        },
        ::testing::ExitedWithCode(3), "^\\[ERROR\\|Window Creation Error\\.\\]$");
}

using WindowProcedureTest = ShellTest;

TEST_F(WindowProcedureTest, KeysFillKeyStateAndF12Quits) {
    ShellWindow procedure;
    std::memset(KeyState, 0, sizeof KeyState);
    procedure.keyDown(vk::letter('X'));
    procedure.keyDown(vk::numpad(4));
    EXPECT_EQ(KeyState[vk::letter('X')], 1);
    EXPECT_EQ(KeyState[vk::numpad(4)], 1);
    KeyState[vk::letter('X')] = 0;  // a consumer acted on it
    procedure.keyDown(vk::letter('X'));  // auto-repeat sets it again
    EXPECT_EQ(KeyState[vk::letter('X')], 1);
    procedure.keyUp(vk::letter('X'));
    EXPECT_EQ(KeyState[vk::letter('X')], 0);
    EXPECT_EQ(KeyState[vk::numpad(4)], 1);
    procedure.keyDown(0);
    procedure.keyDown(300);  // out of range: ignored, no write outside KeyState
    procedure.keyUp(-5);
    EXPECT_EQ(quitCodeAfterOneTick(), 77);

    procedure.keyDown(vk::F12);
    EXPECT_EQ(quitCodeAfterOneTick(), 0);
    // While F12 is held, any other key-down quits again.
    procedure.keyDown(vk::letter('A'));
    EXPECT_EQ(quitCodeAfterOneTick(), 0);
    procedure.keyUp(vk::F12);
    procedure.keyDown(vk::letter('A'));
    EXPECT_EQ(quitCodeAfterOneTick(), 77);
    std::memset(KeyState, 0, sizeof KeyState);
}

TEST_F(WindowProcedureTest, F11AndAltEnterSwitchFullScreenOncePerPress) {
    openWindow(320, 240);
    ShellWindow procedure;
    std::memset(KeyState, 0, sizeof KeyState);
    procedure.keyDown(vk::F11);
    EXPECT_TRUE(platform::isFullScreen());
    EXPECT_TRUE(fullScreen);  // shut-down shows the cursor again
    procedure.keyDown(vk::F11);  // auto-repeat
    EXPECT_TRUE(platform::isFullScreen());
    procedure.keyUp(vk::F11);
    procedure.systemKeyDown(vk::RETURN);
    EXPECT_FALSE(platform::isFullScreen());
    procedure.systemKeyDown(vk::RETURN);
    EXPECT_FALSE(platform::isFullScreen());
    procedure.keyUp(vk::RETURN);
    procedure.systemKeyDown(vk::F10);
    procedure.systemKeyDown(vk::RETURN);
    EXPECT_TRUE(platform::isFullScreen());
    procedure.keyDown(vk::F11);
    EXPECT_FALSE(platform::isFullScreen());
    EXPECT_FALSE(fullScreen);
    std::memset(KeyState, 0, sizeof KeyState);
}

TEST_F(WindowProcedureTest, CloseQuitsAndFramesStopWhileMinimised) {
    openWindow(320, 240);
    initGame(game, 1);
    ShellWindow procedure;
    procedure.closeRequested();
    EXPECT_EQ(quitCodeAfterOneTick(), 0);

    game.matchRunning = false;
    game.hitCountdown = -1;
    float before = game.frameTime;
    procedure.frameTick();
    EXPECT_NEAR(game.frameTime - before, 0.01f, 1e-6);
    procedure.activated(true);
    before = game.frameTime;
    procedure.frameTick();
    procedure.frameTick();
    EXPECT_EQ(game.frameTime, before);
    procedure.activated(false);
    procedure.frameTick();
    EXPECT_NEAR(game.frameTime - before, 0.01f, 1e-6);

    procedure.resized(500, 0);
    EXPECT_EQ(windowWidth, 500);
    EXPECT_EQ(windowHeight, 1);
    releaseGame(game);
}

// An online session's frames go on while the window is minimised: the other side would wait.
TEST_F(WindowProcedureTest, AnOnlineSessionRunsItsFramesWhileMinimised) {
    openWindow(320, 240);
    initGame(game, 1);
    ShellWindow procedure;
    joinOnline("127.0.0.1:9");  // no one answers there; the session joins all the same
    ASSERT_TRUE(onlineSessionOpen()) << onlineStatusText();
    procedure.activated(true);
    const float before = game.frameTime;
    procedure.frameTick();
    EXPECT_NEAR(game.frameTime - before, 0.01f, 1e-6);
    EXPECT_EQ(onlineStatusText(), "Joining 127.0.0.1:9...");
    procedure.closeRequested();  // leaves the session, then quits
    EXPECT_FALSE(onlineSessionOpen());
    EXPECT_EQ(quitCodeAfterOneTick(), 0);
    procedure.activated(false);
    releaseGame(game);
}

TEST(Mouse, MotionTurnsIntoStepsWithACarry) {
    struct Case { int32_t carry, dx, step, carryAfter; };
    const Case cases[] = {
        {0, 3, 1, 1}, {0, 2, 0, 2}, {0, -3, -1, -1}, {0, -2, 0, -2}, {0, 0, 0, 0},
        {2, 1, 1, 1},      // the carry adds up across readings
        {0, 100, 1, 98},   // at most one step per reading
        {-1, -100, -1, -99},
        {INT32_MAX - 1, INT32_MAX, 1, INT32_MAX - 2},  // saturates instead of overflowing
        {INT32_MIN + 1, INT32_MIN, -1, INT32_MIN + 2},
    };
    for (const Case& c : cases) {
        mouseCarry = c.carry;
        mouseStep = 7;
        foldMouseMotion(c.dx);
        EXPECT_EQ(mouseStep, c.step) << c.carry << " + " << c.dx;
        EXPECT_EQ(mouseCarry, c.carryAfter) << c.carry << " + " << c.dx;
    }
    mouseCarry = 0;
    mouseStep = 0;
}

TEST(Mouse, NothingIsReadBeforeTheMouseIsReady) {
    mouseReady = false;
    mouseCarry = 5;
    mouseStep = 1;
    pollMouse();
    EXPECT_EQ(mouseCarry, 5);
    EXPECT_EQ(mouseStep, 1);
    mouseCarry = 0;
    mouseStep = 0;
}

}  // namespace
