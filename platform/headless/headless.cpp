// The headless backend: for tools and tests that run the game's code without a window or a sound
// device. Message boxes are printed to standard error (unless an observer takes them), recorded
// and answered with their default, the wave player plays nothing but records its calls (and can
// answer as the single-voice player would), the mouse reports no motion.
#include "platform/headless/headless.h"
#include "platform/platform.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <utility>

namespace platform {

namespace {
struct Records {
    std::vector<MessageRecord> messages;
    std::vector<headless::WaveCall> waves;
    bool singleVoice = false;
    bool oneShotPlaying = false;
};
Records& records() {
    static Records kept;
    return kept;
}

// Long tool runs play a sound every update; the records keep only the first calls.
template <typename Record>
void keep(std::vector<Record>& list, Record record) {
    if (list.size() < headless::MAX_RECORDS) list.push_back(std::move(record));
}
}  // namespace

namespace headless {
const std::vector<WaveCall>& waveCalls() { return records().waves; }
const std::vector<MessageRecord>& shownMessages() { return records().messages; }
void clearRecords() {
    records().messages.clear();
    records().waves.clear();
    records().oneShotPlaying = false;
}
void answerAsSingleVoice(bool on) { records().singleVoice = on; }
void oneShotEnded() { records().oneShotPlaying = false; }
}  // namespace headless

MessageAnswer showNativeMessageBox(const MessageRecord& message) {
    keep(records().messages, message);
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

bool playWave(const char* path, unsigned flags) {
    Records& kept = records();
    keep(kept.waves, headless::WaveCall{path ? path : "", flags});
    if (!kept.singleVoice) return path == nullptr;
    if ((flags & WAVE_NOSTOP) && kept.oneShotPlaying) return false;
    kept.oneShotPlaying = path && !(flags & WAVE_LOOP);
    return true;
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
