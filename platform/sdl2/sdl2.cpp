// placeholder SDL2 backend until it is written
#include "platform/platform.h"

namespace platform {
MessageAnswer showNativeMessageBox(const MessageRecord&) { return MessageAnswer::Ok; }
bool changeDisplayMode(int, int, int) { return false; }
void restoreDisplayMode() {}
bool createWindow(const std::string&, int, int, bool) { return false; }
void destroyWindow() {}
bool createGLContext() { return false; }
void destroyGLContext() {}
void showWindow() {}
void showCursor(bool) {}
void swapBuffers() {}
int runMessageLoop(WindowEvents&) { return 0; }
void postQuit(int) {}
std::unique_ptr<SoundRing> openSoundRing(bool) { return nullptr; }
bool playWave(const char*, unsigned) { return false; }
bool openRelativeMouse() { return false; }
bool readMouseMotion(int&, int&) { return false; }
void raiseProcessPriority() {}
void raiseThreadToTimeCritical() {}
void sleepMilliseconds(int) {}
}  // namespace platform
