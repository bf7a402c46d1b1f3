// The seam between the game and the operating system. Everything the game, renderer, audio and
// app code needs from a window system, sound device or OS goes through these functions, so that a
// backend can be swapped without touching game code. Backends: platform/sdl2 (the game on Linux),
// platform/win32 (the game on Windows) and platform/headless (tools and tests: no window, no device).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// ---- Message boxes ---------------------------------------------------------------------------
enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Exclamation, Stop, Information };
enum class MessageAnswer { Ok, Yes, No };

struct MessageRecord {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

// Shows a modal box and returns the button pressed. While an observer is installed the box is
// not shown: the observer sees it and its answer is returned instead.
MessageAnswer messageBox(const std::string& text, const std::string& caption,
                         MessageButtons buttons, MessageIcon icon);
using MessageObserver = std::function<MessageAnswer(const MessageRecord&)>;
void setMessageObserver(MessageObserver observer);  // empty function: back to real boxes
// The caption of the program's error reports.
constexpr const char* ERROR_CAPTION = "ERROR";

// The program's plain error report: caption ERROR_CAPTION, an OK button and no icon.
inline void errorBox(const std::string& text) {
    messageBox(text, ERROR_CAPTION, MessageButtons::Ok, MessageIcon::None);
}

// ---- Window and GL context -------------------------------------------------------------------
// The class name that the window system files the program's window under ("Tarvex"); set before
// createWindow. A class name set by the user's environment wins.
void setWindowClass(const std::string& name);
// Switches the display to width x height for full screen; false when the display has no such mode.
bool changeDisplayMode(int width, int height, int bitsPerPixel);
void restoreDisplayMode();
// Creates the program's one window with a client area of width x height; full screen when the
// display mode was changed. Hidden until showWindow.
bool createWindow(const std::string& title, int width, int height, bool fullScreen);
void destroyWindow();
// A double-buffered RGBA context with a 16-bit depth buffer, made current on the calling thread.
bool createGLContext();
void destroyGLContext();
void showWindow();
void showCursor(bool visible);
void swapBuffers();  // never waits for the display's refresh
// Switches the shown window between full screen at the desktop's own resolution and a window
// (a display mode set by changeDisplayMode is given back); false when the switch failed.
bool setFullScreen(bool on);
bool isFullScreen();

// ---- Key events, gamepads and the frame tick ------------------------------------------------
// A gamepad's controls as switches: the left stick and the D-pad give the four directions, the
// right stick and the shoulder buttons aim, the south button and the right trigger fire.
enum class PadControl { Left, Right, Up, Down, AimLeft, AimRight, Fire, Start, Back };
constexpr int PAD_CONTROLS = 9;
constexpr int MAX_PADS = 2;  // pads are numbered 0 and 1 in the order they are plugged in

// What the window procedure receives. Key codes are Windows virtual-key codes (platform/keys.h).
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void keyDown(int virtualKey) = 0;  // auto-repeat delivers repeated key-downs
    virtual void keyUp(int virtualKey) = 0;
    // A system key went down (F10, Alt, Alt with another key): not a keyDown; its key-up is.
    virtual void systemKeyDown(int) {}
    // Characters the user typed, in UTF-8 as the keyboard layout composed them (no control
    // characters), only between startTextInput and stopTextInput. Their keys still come as
    // keyDown and keyUp: typing 'w' gives keyDown 'W' and textTyped "w".
    virtual void textTyped(const std::string&) {}
    // Pad 0 or 1 switched a control on or off. A pad that goes away switches its controls off.
    virtual void padControl(int, PadControl, bool) {}
    virtual void resized(int width, int height) = 0;
    virtual void activated(bool minimised) = 0;
    virtual void closeRequested() = 0;
    virtual void frameTick() = 0;  // every 10 ms on the main thread; ticks merge, never burst
};
// Runs until postQuit; returns the quit code.
int runMessageLoop(WindowEvents& events);
// Hands events the window's messages and frame ticks already before runMessageLoop (null: no
// longer), for backends whose message boxes keep dispatching them: frames then run behind a
// box that start-up shows. Where boxes stop the window, this changes nothing.
void attachWindowEvents(WindowEvents* events);
void postQuit(int code);
// Typed text (WindowEvents::textTyped) is delivered from startTextInput until stopTextInput, as
// while the player types an address; it is off when the window is made.
void startTextInput();
void stopTextInput();

// ---- Sound -----------------------------------------------------------------------------------
constexpr uint32_t SOUND_RING_BYTES = 32768;
constexpr int SOUND_RATE = 44100;

// A looping output buffer of SOUND_RING_BYTES bytes, 8-bit unsigned at SOUND_RATE, stereo or
// mono, filled with silence (128) and playing from offset 0 as soon as it is opened.
class SoundRing {
public:
    virtual ~SoundRing() = default;
    virtual uint32_t playPosition() = 0;  // 0 .. SOUND_RING_BYTES - 1
    // Copies size bytes to offset, wrapping at the ring's end; false when the write failed.
    virtual bool write(uint32_t offset, const uint8_t* data, uint32_t size) = 0;
};
std::unique_ptr<SoundRing> openSoundRing(bool stereo);  // null when no sound device can be opened

// The single-voice wave player: one sound at a time, each play replaces what plays.
enum WaveFlags : unsigned {
    WAVE_ASYNC = 0x1,
    WAVE_LOOP = 0x8,    // repeat until stopped or replaced
    WAVE_NOSTOP = 0x10  // fail instead of replacing a sound that is still playing
};
// Plays a WAV file; a null path stops what plays. A missing or unreadable file plays nothing and
// is not reported. Returns whether the sound was started (or stopped).
bool playWave(const char* path, unsigned flags);
// Reads a WAV file as playWave would, without playing it; false with the reason when playWave
// could not play it (the headless backend plays nothing, so no file).
bool waveFilePlayable(const char* path, std::string& reason);

// ---- Mouse, priorities, time -----------------------------------------------------------------
bool openRelativeMouse();
// Motion since the previous reading; false when the mouse cannot be read.
bool readMouseMotion(int& dx, int& dy);
void raiseProcessPriority();        // best effort, silent when not permitted
void raiseThreadToTimeCritical();   // the calling thread; best effort, silent
void sleepMilliseconds(int ms);
// The folder that holds the running program, ending in '/'; empty when it cannot be found.
std::string executableFolder();
// The folder where programs keep a user's own files, ending in '/': $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share (Linux and other POSIX systems); %APPDATA% on Windows,
// in UTF-8. Empty when the environment names none. Environment only, one file for every backend
// (platform/user_folder.cpp).
std::string userDataFolder();

}  // namespace platform
