// The application shell: start-up and shut-down, the window procedure, the frame, the GL window,
// the mouse and the hand-over of the music between title screen and match.
#pragma once

#include "app/messages.h"
#include "game/game.h"
#include "game/sound.h"
#include "game/viewer.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>

// ---- The game shown ------------------------------------------------------------------------------
extern GameState game;       // the one game this window plays and shows
extern Viewer viewer;        // the camera its player chose
extern SoundPlayer sounds;   // plays what the frames ask for

// Who plays each tank: PERSON (the keys and pads) or a computer level 1..3 (app/command_line.h).
// The choice is kept until the game quits; F5 and F6 on the title screen change it.
extern int playerLevels[2];
void setPlayerLevel(int p, int level);

// ---- Replays (replays.cpp) ----------------------------------------------------------------------
// Every match of the live game is recorded; after it ends its replay is written in the background.
void recordBeforeLiveFrame();
void recordAfterLiveFrame(const FrameInput& input);
// The same for another game's frames: an online match records its confirmed game.
void recordBeforeFrameOf(const GameState& played);
void recordAfterFrameOf(const GameState& played, const FrameInput& input);
// A match being recorded ends here and is written (an online session ended in its middle).
void writeMatchUnderWay();
// At shut-down: a match under way is written too, and the last write is waited for.
void finishReplays();
// Shows a replay file instead of the live game until it ends or Escape; false (after saying why
// in a message box) when the file cannot be played.
bool startReplay(const std::string& path);
bool playingBack();
const GameState& shownGame();  // the replay's game while one plays, otherwise the live game
// One frame of the replay shown: P or Pause stops and goes on, F plays four frames a frame,
// Escape ends it; the title screen comes back at the end.
FrameResult playbackTick();

// ---- Online play (online.cpp) -------------------------------------------------------------------
// One session at a time with another copy of the game over UDP (net/online_session.h): this
// window's player drives player 1's keys (and any pad), and the match shows the host's tank as
// player 1 and the joiner's as player 2. No message box interrupts a session.
// Hosts on port (0: the last port hosted on, at first platform::DEFAULT_GAME_PORT) and waits for a
// joiner; the window leaves full screen first, so that a firewall's question can be seen.
void hostOnline(uint16_t port);
// Joins the host at ADDRESS[:PORT] (a name is resolved here); a problem shows on the title.
void joinOnline(const std::string& address);
// F8: the player types the host's address (typed text, Backspace, Enter joins, Escape cancels).
void startTypingAddress();
bool typingAddress();
void addressTyped(const std::string& utf8);
void addressKey(int virtualKey);
// A session hosts, joins or plays: the frame is onlineFrame, and it runs also while minimised.
bool onlineSessionOpen();
// One frame of a session: the datagrams that arrived, the title frame (where the host's F1-F3
// start a match on both sides) or the match's frames, and what the session sends.
FrameResult onlineFrame();
// Escape on the title: stops hosting or joining (a session that plays goes on).
void stopWaitingOnline();
// F12 or closing the window: the other side is told, and the session's figures are printed.
void leaveOnline();
bool waitingForOtherPlayer();      // nothing heard from the other side for a while
std::string onlineStatusText();    // what the title's status band says (empty: nothing)
void forgetOnlineNews();           // the band no longer says how the last session ended

// ---- Window and frame ----------------------------------------------------------------------------
extern const char* const WINDOW_TITLE;
extern const char* const WINDOW_CLASS;

// Frames run only while the window is not minimised, unless an online session runs (the other
// side would wait for it): then they run unseen.
extern bool windowActive;
extern bool fullScreen;    // true when the display mode was changed and must be restored

// The window procedure: key messages and pads into KeyState (none while an address is typed:
// the typed text and keys edit it), the title screen's keys, F12 and close leave an online game
// and quit, F11 and Alt+Enter switch full screen, sizes, activation, and one frame plus a buffer
// swap per tick.
class ShellWindow final : public platform::WindowEvents {
public:
    void keyDown(int virtualKey) override;
    void keyUp(int virtualKey) override;
    void systemKeyDown(int virtualKey) override;
    void textTyped(const std::string& utf8) override;
    void padControl(int pad, platform::PadControl control, bool down) override;
    void resized(int width, int height) override;
    void activated(bool minimised) override;
    void closeRequested() override;
    void frameTick() override;

private:
    int padKeys_[platform::MAX_PADS][platform::PAD_CONTROLS] = {};  // the key each held control pressed
    bool altEnterHeld_ = false;
};

// Says once, when most of 100 buffer swaps in a row took longer than a frame, that the display
// holds the frames back; true for the swap after which it was said.
class SwapWatch {
public:
    bool swapTook(double milliseconds);

private:
    int swaps_ = 0, slow_ = 0;
    bool said_ = false;
};

// ---- Input sources -----------------------------------------------------------------------------
// Sources that hold a key in KeyState; a key is down while any of them holds it.
enum KeySource : unsigned { KEYBOARD = 1, LAPTOP_KEYS = 2, FIRST_PAD = 4 };  // pad n: FIRST_PAD << n
void pressKey(int key, unsigned source);
void releaseKey(int key, unsigned source);
void releaseAllKeys();  // forgets every source (KeyState itself is left as it is)
int laptopAlternative(int key);  // player 2's keypad key that a laptop key stands for, or 0
int padKey(int pad, platform::PadControl control);  // the key a pad control stands for now, or 0

// One frame: the keys' input advances the game, then the views show its result, with the title
// screen or the paused mark over them, and the sounds and the music follow the frame's branch.
void renderFrame();
// The frame without the picture and the music, for a minimised window in an online session.
void runUnseenFrame();

// ---- GL window ---------------------------------------------------------------------------------
bool createGLWindow(const char* title, int width, int height, int bits, bool fullScreenFlag);
void killGLWindow();
void toggleFullScreen();  // between a window and full screen at the desktop's resolution
bool initGL();

// ---- Mouse -------------------------------------------------------------------------------------
extern bool mouseReady;
extern int32_t mouseStep;   // -1, 0 or +1 from the start-up mouse reading: an input of every frame
extern int32_t mouseCarry;  // x motion not yet turned into steps
bool initMouse();
void pollMouse();
void foldMouseMotion(int32_t dx);  // adds a reading's x motion and sets mouseStep

// ---- Music hand-off ----------------------------------------------------------------------------
void loadMusic(const char* path);
void stopTitleMusic();
void startTitleMusic();
void releaseMusic();
bool musicPlayerExists();  // a MusicPlayer has been made and not yet stopped by the hand-off
