#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

namespace platform {
int runMessageLoop(WindowEvents&) { return 0; }
void postQuit(int) {}
}  // namespace platform
