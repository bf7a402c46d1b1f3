#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

namespace platform {
bool openRelativeMouse() { return false; }
bool readMouseMotion(int&, int&) { return false; }
void raiseProcessPriority() {}
void raiseThreadToTimeCritical() {}
void sleepMilliseconds(int ms) { SDL_Delay(ms > 0 ? static_cast<Uint32>(ms) : 0); }
}  // namespace platform
