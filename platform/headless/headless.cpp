// The headless backend: for tools and tests that run the game's code without a window or a sound
// device. Message boxes are printed to standard error (unless an observer takes them) and answered
// with their default, the wave player plays nothing but records its calls, the mouse reports no
// motion.
#include "platform/headless/headless.h"
#include "platform/platform.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace platform {

MessageAnswer showNativeMessageBox(const MessageRecord& message) {
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void setWindowClass(const std::string&) {}
bool changeDisplayMode(int, int, int) { return false; }
void restoreDisplayMode() {}
bool createWindow(const std::string&, int, int, bool) { return false; }
void destroyWindow() {}
bool createGLContext() { return false; }
void destroyGLContext() {}
void showWindow() {}
void showCursor(bool) {}
void swapBuffers() {}
bool setFullScreen(bool) { return false; }
bool isFullScreen() { return false; }

namespace {
bool quitPosted = false;
int quitCode = 0;
}  // namespace

int runMessageLoop(WindowEvents&) {
    quitPosted = false;
    return quitCode;
}
void attachWindowEvents(WindowEvents*) {}
// No keyboard: nothing is ever typed.
void startTextInput() {}
void stopTextInput() {}
void postQuit(int code) {
    quitPosted = true;
    quitCode = code;
}

std::unique_ptr<SoundRing> openSoundRing(bool) { return nullptr; }
namespace {
std::vector<headless::WaveCall>& recordedWaves() {
    static std::vector<headless::WaveCall> calls;
    return calls;
}
}  // namespace

namespace headless {
const std::vector<WaveCall>& waveCalls() { return recordedWaves(); }
void clearWaveCalls() { recordedWaves().clear(); }
}  // namespace headless

// Nothing is heard, so nothing is ever playing: a stop succeeds, a play fails as with a file
// that cannot be played.
bool playWave(const char* path, unsigned flags) {
    // Long tool runs call this every update; the record keeps only the first calls.
    if (recordedWaves().size() < headless::MAX_RECORDED_WAVES) recordedWaves().push_back({path ? path : "", flags});
    return path == nullptr;
}

bool openRelativeMouse() { return false; }
bool readMouseMotion(int& dx, int& dy) {
    dx = dy = 0;
    return false;
}
void raiseProcessPriority() {}
void raiseThreadToTimeCritical() {}
void sleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Where the kernel shows the running program; elsewhere no folder is known.
std::string executableFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path()) return "";
    return program.parent_path().string() + "/";
}

}  // namespace platform
