// The GL window: display mode with its windowed fall-back, window and context, the fixed GL
// state and the three textures. Every failure is reported once in a message box.
#include "app/app.h"

#include "game/data_files.h"
#include "render/render.h"

#include <GL/gl.h>

const char* const WINDOW_TITLE = "TARVEX 3D - BY THE TARVEX TEAM - TARVEX.EXAMPLE.ORG";
const char* const WINDOW_CLASS = "Tarvex";

bool fullScreen = true;

namespace {
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

bool failCreation(const char* text) {
    killGLWindow();
    platform::messageBox(text, "ERROR", MessageButtons::Ok, MessageIcon::Exclamation);
    return false;
}

// Full screen in the asked mode, or, when the display has none, windowed if the user agrees.
bool chooseDisplayMode(int width, int height, int bits) {
    if (!fullScreen || platform::changeDisplayMode(width, height, bits)) return true;
    MessageAnswer answer = platform::messageBox(
        "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
        "Open GL", MessageButtons::YesNo, MessageIcon::Exclamation);
    if (answer == MessageAnswer::Yes) {
        fullScreen = false;
        return true;
    }
    platform::messageBox("Program Will Now Close.", "ERROR", MessageButtons::Ok, MessageIcon::Stop);
    return false;
}
}  // namespace

bool createGLWindow(const char* title, int width, int height, int bits, bool fullScreenFlag) {
    fullScreen = fullScreenFlag;
    platform::setWindowClass(WINDOW_CLASS);
    if (!chooseDisplayMode(width, height, bits)) return false;
    if (fullScreen) platform::showCursor(false);
    if (!platform::createWindow(title, width, height, fullScreen)) return failCreation("Window Creation Error.");
    // The pixel format is chosen and set as part of making the context.
    if (!platform::createGLContext()) return failCreation("Can't Create A GL Rendering Context.");
    platform::showWindow();
    resizeGL(width, height);
    if (!initGL()) return failCreation("Initialization Failed.");
    initMouse();
    pollMouse();
    return true;
}

void killGLWindow() {
    if (fullScreen) {
        platform::restoreDisplayMode();
        platform::showCursor(true);
    }
    platform::destroyGLContext();  // the texture objects end with it
    platform::destroyWindow();
    releaseTextureImage();
}

// The full screen of this switch keeps the desktop's mode; fullScreen stays true while it shows
// so that shut-down gives the cursor back.
void toggleFullScreen() {
    const bool on = !platform::isFullScreen();
    if (!platform::setFullScreen(on)) return;
    fullScreen = on;
    platform::showCursor(!on);
}

bool initGL() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.2f, 0.6f, 0.8f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // blending stays off until a drawing step needs it
    glGenTextures(3, textureNames);
    loadTexture(dataFile(FONT_BITMAP).c_str(), FontTexture);
    loadTexture(dataFile(FILLED_BITMAP).c_str(), FilledTexture);
    loadTexture(dataFile(TRACK_BITMAP).c_str(), TrackTexture);
    return true;
}
