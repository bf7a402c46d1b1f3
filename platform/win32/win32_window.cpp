// The window, its OpenGL context, the full-screen display mode and the cursor over USER32, GDI
// and WGL.
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

#include <cstdlib>
#include <string>

namespace platform {
namespace win32 {

namespace {
std::string className = "Tarvex";
bool classRegistered = false;
HWND theWindow = nullptr;
HDC deviceContext = nullptr;
HGLRC renderingContext = nullptr;
bool modeChanged = false;
bool cursorHidden = false;
bool fullScreenNow = false;
RECT windowedArea{};  // the window's place and size to return to from full screen

constexpr DWORD WINDOWED_STYLE = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD WINDOWED_EXTENDED_STYLE = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

// Changes the window's styles and puts it at area, shown.
void placeWindow(DWORD style, DWORD extendedStyle, HWND order, const RECT& area) {
    SetWindowLongPtrA(theWindow, GWL_STYLE, static_cast<LONG_PTR>(style | WS_VISIBLE));
    SetWindowLongPtrA(theWindow, GWL_EXSTYLE, static_cast<LONG_PTR>(extendedStyle));
    SetWindowPos(theWindow, order, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

// Asks for a display mode; only the fields flagged in dmFields are looked at.
bool switchToMode(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// UTF-8 to the UTF-16 of the system's wide calls.
std::wstring wide(const std::string& text) {
    if (text.empty()) return L"";
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], length);
    return out;
}

// A Unicode window class, so that typed characters reach the window procedure as UTF-16.
bool registerClass() {
    if (classRegistered) return true;
    const std::wstring wideClassName = wide(className);
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = wideClassName.c_str();
    classRegistered = RegisterClassW(&windowClass) != 0;
    return classRegistered;
}
}  // namespace

HWND window() { return theWindow; }
HWND ownerWindow() { return theWindow ? theWindow : GetDesktopWindow(); }

}  // namespace win32

using namespace win32;

void setWindowClass(const std::string& name) {
    if (!classRegistered) className = name;
}

bool changeDisplayMode(int width, int height, int bitsPerPixel) {
    modeChanged = false;
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return false;
    if (switchToMode(width, height, bitsPerPixel)) return modeChanged = true;
    // Displays of today rarely offer 16-bit modes: among the listed modes of the asked size, the
    // one nearest the asked depth is taken instead.
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    DWORD bestBits = 0;
    int bestDistance = 1 << 30;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
        if (mode.dmPelsWidth != static_cast<DWORD>(width) || mode.dmPelsHeight != static_cast<DWORD>(height))
            continue;
        int distance = std::abs(static_cast<int>(mode.dmBitsPerPel) - bitsPerPixel);
        if (distance < bestDistance) {
            bestDistance = distance;
            bestBits = mode.dmBitsPerPel;
        }
    }
    modeChanged = bestBits != 0 && switchToMode(width, height, bestBits);
    return modeChanged;
}

void restoreDisplayMode() {
    if (modeChanged) ChangeDisplaySettingsA(nullptr, 0);  // back to the mode in the registry
    modeChanged = false;
}

bool createWindow(const std::string& title, int width, int height, bool fullScreen) {
    if (theWindow || !registerClass()) return false;
    bool useFullScreen = fullScreen && modeChanged;
    DWORD extendedStyle = useFullScreen ? WS_EX_APPWINDOW | WS_EX_TOPMOST : WINDOWED_EXTENDED_STYLE;
    DWORD style = useFullScreen ? WS_POPUPWINDOW : WS_OVERLAPPEDWINDOW;
    RECT area{0, 0, width, height};
    AdjustWindowRectEx(&area, style, FALSE, extendedStyle);
    windowedArea = RECT{0, 0, width, height};
    AdjustWindowRectEx(&windowedArea, WINDOWED_STYLE, FALSE, WINDOWED_EXTENDED_STYLE);
    OffsetRect(&windowedArea, -windowedArea.left, -windowedArea.top);
    fullScreenNow = useFullScreen;
    // Full screen, the popup's one-pixel border goes just off the screen, so that the drawing
    // covers the screen from its first pixel; a window with a caption starts at the corner.
    int left = useFullScreen ? area.left : 0;
    int top = useFullScreen ? area.top : 0;
    theWindow = CreateWindowExW(extendedStyle, wide(className).c_str(), wide(title).c_str(),
                                style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, left, top, area.right - area.left,
                                area.bottom - area.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return theWindow != nullptr;
}

void destroyWindow() {
    if (renderingContext) destroyGLContext();
    if (deviceContext) ReleaseDC(theWindow, deviceContext);
    deviceContext = nullptr;
    if (theWindow) DestroyWindow(theWindow);
    theWindow = nullptr;
    fullScreenNow = false;
    if (classRegistered) UnregisterClassW(wide(className).c_str(), GetModuleHandleW(nullptr));
    classRegistered = false;
}

bool createGLContext() {
    if (!theWindow || renderingContext) return false;
    if (!deviceContext) deviceContext = GetDC(theWindow);
    if (!deviceContext) return false;
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 16;
    descriptor.cDepthBits = 16;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    int format = ChoosePixelFormat(deviceContext, &descriptor);
    if (format == 0 || !SetPixelFormat(deviceContext, format, &descriptor)) return false;
    renderingContext = wglCreateContext(deviceContext);
    if (!renderingContext) return false;
    if (!wglMakeCurrent(deviceContext, renderingContext)) {
        wglDeleteContext(renderingContext);
        renderingContext = nullptr;
        return false;
    }
    // Frames are paced by the frame tick, not the display: no waiting for its refresh.
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto setInterval = reinterpret_cast<SwapInterval>(
            reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT"))))
        setInterval(0);
    return true;
}

void destroyGLContext() {
    if (!renderingContext) return;
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(renderingContext);
    renderingContext = nullptr;
}

void showWindow() {
    if (!theWindow) return;
    ShowWindow(theWindow, SW_SHOWNORMAL);
    SetForegroundWindow(theWindow);
    SetFocus(theWindow);
}

void showCursor(bool visible) {
    // The system counts shows and hides; only changes are passed on, so one show undoes any hide.
    if (visible == !cursorHidden) return;
    ShowCursor(visible ? TRUE : FALSE);
    cursorHidden = !visible;
}

void swapBuffers() {
    if (deviceContext && renderingContext) SwapBuffers(deviceContext);
}

// Full screen keeps the desktop's own mode (a mode set by changeDisplayMode is given back) and
// covers the monitor the window is on; windowed, the window returns to where it was.
bool setFullScreen(bool on) {
    if (!theWindow) return false;
    if (on == fullScreenNow) return true;
    restoreDisplayMode();
    if (on) {
        GetWindowRect(theWindow, &windowedArea);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetMonitorInfoA(MonitorFromWindow(theWindow, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
        placeWindow(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_APPWINDOW | WS_EX_TOPMOST, HWND_TOPMOST,
                    monitor.rcMonitor);
    } else {
        placeWindow(WINDOWED_STYLE, WINDOWED_EXTENDED_STYLE, HWND_NOTOPMOST, windowedArea);
    }
    fullScreenNow = on;
    return true;
}

bool isFullScreen() { return fullScreenNow; }

}  // namespace platform
