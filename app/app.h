// The application shell: start-up and shut-down, the window procedure, the frame, the GL window,
// the mouse and the hand-over of the music between title screen and match.
#pragma once

#include "platform/platform.h"

#include <cstdint>

// ---- Window and frame ----------------------------------------------------------------------------
extern const char* const WINDOW_TITLE;
extern const char* const WINDOW_CLASS;
constexpr int FRAME_TIMER_ID = 9999;  // the 10 ms frame tick (delivered by the platform's loop)
constexpr double FIELD_OF_VIEW = 45.0;
constexpr float NEAR_PLANE = 0.1f;
constexpr double FAR_PLANE = 150.0;

extern bool windowActive;  // frames run only while the window is not minimised
extern bool fullScreen;    // true when the display mode was changed and must be restored

// The window procedure: key messages into KeyState, F12 and close quit, sizes, activation, and
// one frame plus a buffer swap per frame tick.
class ShellWindow final : public platform::WindowEvents {
public:
    void keyDown(int virtualKey) override;
    void keyUp(int virtualKey) override;
    void resized(int width, int height) override;
    void activated(bool minimised) override;
    void closeRequested() override;
    void frameTick() override;
};

void resizeGL(int width, int height);
// Viewport and projection of view index (0 left or only, 1 right) of a layout of views (1 or 2).
void applyViewLayout(int index, int views);
void renderFrame();

// ---- GL window ---------------------------------------------------------------------------------
bool createGLWindow(const char* title, int width, int height, int bits, bool fullScreenFlag);
void killGLWindow();
bool initGL();

// ---- Mouse -------------------------------------------------------------------------------------
extern bool mouseReady;
extern int32_t mouseCarry;  // x motion not yet turned into steps (mouseStep is the game's)
bool initMouse();
void pollMouse();
void foldMouseMotion(int32_t dx);  // adds a reading's x motion and sets mouseStep

// ---- Music hand-off ----------------------------------------------------------------------------
void loadMusic(const char* path);
void stopTitleMusic();
void startTitleMusic();
void releaseMusic();
bool musicPlayerExists();  // a MusicPlayer has been made and not yet stopped by the hand-off
