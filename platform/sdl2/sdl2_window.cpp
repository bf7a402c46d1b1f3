// The window, its OpenGL context, the full-screen display mode and the cursor over SDL2.
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef TARVEX_HAVE_X11
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#endif

namespace platform {
namespace sdl2 {

namespace {
SDL_Window* theWindow = nullptr;
SDL_GLContext theContext = nullptr;
bool modeChosen = false;
SDL_DisplayMode chosenMode{};
int windowedWidth = 0, windowedHeight = 0;  // the window's size to return to from full screen
}  // namespace

namespace {
constexpr int VIDEO_ATTEMPTS = 10;
constexpr Uint32 VIDEO_RETRY_MS = 50;

// Whether SDL picks the video driver itself while a display is named: video then belongs there.
bool displayExpected() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return false;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !asked || !*asked;
}

bool videoOnDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

// An X server that is resetting, as it does when its last client has gone, drops the connections
// it is offered meanwhile. SDL then starts video on its offscreen driver: no window could be
// seen, and SDL's X11 message box, which reads the display data of whatever driver runs, crashes
// in the child process it shows the box from. Video is started again until it runs on the display.
bool startVideo() {
    for (int attempt = 1;; ++attempt) {
        bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!displayExpected() || (started && videoOnDisplay()) || attempt == VIDEO_ATTEMPTS) return started;
        if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Delay(VIDEO_RETRY_MS);
    }
}
}  // namespace

bool ensureSubsystem(Uint32 flags) {
    if (SDL_WasInit(flags) == flags) return true;
    if ((flags & SDL_INIT_VIDEO) && !SDL_WasInit(SDL_INIT_VIDEO) && !startVideo()) return false;
    return SDL_InitSubSystem(flags) == 0;
}

SDL_Window* window() { return theWindow; }

namespace {
#ifdef TARVEX_HAVE_X11
// The window's X display when it is on X11 and no window manager runs; null otherwise.
Display* unmanagedDisplay(SDL_Window* window, ::Window* xWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    Display* display = info.info.x11.display;
    Atom managerCheck = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (managerCheck != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* value = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), managerCheck, 0, 1, False, AnyPropertyType,
                           &type, &format, &count, &remaining, &value);
        if (value) XFree(value);
        if (type != None) return nullptr;  // a window manager runs
    }
    if (xWindow) *xWindow = info.info.x11.window;
    return display;
}
#endif

// Without a window manager SDL gives a shown window the keyboard focus with "revert to none":
// once that window is gone no window gets keys any more, not even ours when a short-lived
// window came and went. Reverting to the window under the pointer instead keeps the keyboard
// usable. With a window manager, focus is the manager's business and nothing is changed.
void makeFocusRevertToPointer(SDL_Window* shown) {
#ifdef TARVEX_HAVE_X11
    Display* display = unmanagedDisplay(shown, nullptr);
    if (!display) return;
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (revert == RevertToNone && focus != None && focus != PointerRoot) {
        XSetInputFocus(display, focus, RevertToPointerRoot, CurrentTime);
        XFlush(display);
    }
#else
    (void)shown;
#endif
}

// SDL asks the window manager to make a window full screen; without one the window is moved
// over the whole display here.
void coverDisplayWithoutManager(SDL_Window* window) {
#ifdef TARVEX_HAVE_X11
    ::Window xWindow = 0;
    Display* display = unmanagedDisplay(window, &xWindow);
    SDL_Rect bounds;
    if (!display || SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0) return;
    XMoveResizeWindow(display, xWindow, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XFlush(display);
#else
    (void)window;
#endif
}
}  // namespace

}  // namespace sdl2

using sdl2::theContext;
using sdl2::theWindow;

void setWindowClass(const std::string& name) {
    // SDL reads the class from the environment when it makes a window.
    setenv("SDL_VIDEO_X11_WMCLASS", name.c_str(), 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", name.c_str(), 0);
}

bool changeDisplayMode(int width, int height, int bitsPerPixel) {
    sdl2::modeChosen = false;
    if (!sdl2::ensureSubsystem(SDL_INIT_VIDEO)) return false;
    // Today's displays rarely list 16-bit modes, so the size decides; among the modes of that
    // size the one nearest the asked depth wins.
    int count = SDL_GetNumDisplayModes(0);
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w != width || mode.h != height) continue;
        int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        int distance = bits > bitsPerPixel ? bits - bitsPerPixel : bitsPerPixel - bits;
        if (distance < bestDistance) {
            bestDistance = distance;
            sdl2::chosenMode = mode;
            sdl2::modeChosen = true;
        }
    }
    return sdl2::modeChosen;
}

void restoreDisplayMode() {
    // SDL restores the desktop mode itself when a full-screen window leaves full screen.
    if (theWindow && (SDL_GetWindowFlags(theWindow) & SDL_WINDOW_FULLSCREEN))
        SDL_SetWindowFullscreen(theWindow, 0);
    sdl2::modeChosen = false;
}

bool createWindow(const std::string& title, int width, int height, bool fullScreen) {
    if (theWindow) return false;
    if (!sdl2::ensureSubsystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) return false;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    // Immediate mode and the fixed-function pipeline need a compatibility context.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    bool useFullScreen = fullScreen && sdl2::modeChosen;
    // A window can be resized and maximised like any other; the frame follows its size.
    flags |= useFullScreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_RESIZABLE;
    theWindow = SDL_CreateWindow(title.c_str(), 0, 0, width, height, flags);
    if (!theWindow) return false;
    sdl2::applyTextInput();  // keys only, no input method, until text is asked for
    sdl2::windowedWidth = width;
    sdl2::windowedHeight = height;
    if (useFullScreen) SDL_SetWindowDisplayMode(theWindow, &sdl2::chosenMode);
    return true;
}

void destroyWindow() {
    if (theContext) destroyGLContext();
    if (theWindow) SDL_DestroyWindow(theWindow);
    theWindow = nullptr;
}

bool createGLContext() {
    if (!theWindow || theContext) return false;
    theContext = SDL_GL_CreateContext(theWindow);
    if (!theContext) return false;
    if (SDL_GL_MakeCurrent(theWindow, theContext) != 0) {
        SDL_GL_DeleteContext(theContext);
        theContext = nullptr;
        return false;
    }
    SDL_GL_SetSwapInterval(0);  // frames are paced by the frame tick, not the display
    return true;
}

void destroyGLContext() {
    if (!theContext) return;
    SDL_GL_MakeCurrent(theWindow, nullptr);
    SDL_GL_DeleteContext(theContext);
    theContext = nullptr;
}

void showWindow() {
    if (!theWindow) return;
    SDL_ShowWindow(theWindow);
    SDL_RaiseWindow(theWindow);
    sdl2::makeFocusRevertToPointer(theWindow);
}

void showCursor(bool visible) {
    if (sdl2::ensureSubsystem(SDL_INIT_VIDEO)) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void swapBuffers() {
    if (theWindow && theContext) SDL_GL_SwapWindow(theWindow);
}

// Full screen at the desktop's own mode leaves other monitors and windows as they are.
bool setFullScreen(bool on) {
    if (!theWindow) return false;
    if (on && !isFullScreen()) SDL_GetWindowSize(theWindow, &sdl2::windowedWidth, &sdl2::windowedHeight);
    if (SDL_SetWindowFullscreen(theWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
    sdl2::modeChosen = false;  // the desktop's mode is back, whichever way
    if (on) sdl2::coverDisplayWithoutManager(theWindow);
    if (!on) {
        SDL_SetWindowResizable(theWindow, SDL_TRUE);  // also a window that started full screen
        // Without a window manager nobody else gives the window its size back.
        SDL_SetWindowSize(theWindow, sdl2::windowedWidth, sdl2::windowedHeight);
    }
    return true;
}

bool isFullScreen() { return theWindow && (SDL_GetWindowFlags(theWindow) & SDL_WINDOW_FULLSCREEN); }

}  // namespace platform
