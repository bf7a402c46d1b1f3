// The mouse, process and thread priorities, and sleeping.
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <cerrno>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {
bool mouseOpen = false;

// Lowers the nice value of one thread (0: the calling process's main thread) to at most
// target; silently keeps it when the system does not permit it.
void lowerNice(id_t who, int target) {
    errno = 0;
    int current = getpriority(PRIO_PROCESS, who);
    if (errno == 0 && current <= target) return;
    setpriority(PRIO_PROCESS, who, target);
}
}  // namespace

// The mouse is read in relative steps without grabbing it, so the pointer stays free.
bool openRelativeMouse() {
    mouseOpen = false;
    if (!sdl2::window() || !sdl2::ensureSubsystem(SDL_INIT_VIDEO)) return false;
    SDL_PumpEvents();
    SDL_GetRelativeMouseState(nullptr, nullptr);  // motion counts from here on
    mouseOpen = true;
    return true;
}

bool readMouseMotion(int& dx, int& dy) {
    dx = dy = 0;
    if (!mouseOpen) return false;
    SDL_PumpEvents();
    SDL_GetRelativeMouseState(&dx, &dy);
    return true;
}

// On Linux a nice value belongs to a thread; threads made later inherit it, so raising the main
// thread before the music thread starts raises both.
void raiseProcessPriority() { lowerNice(0, -10); }

void raiseThreadToTimeCritical() {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;
    lowerNice(static_cast<id_t>(syscall(SYS_gettid)), -15);
}

void sleepMilliseconds(int ms) { SDL_Delay(ms > 0 ? static_cast<Uint32>(ms) : 0); }

std::string executableFolder() {
    char* path = SDL_GetBasePath();  // needs no initialised subsystem
    if (!path) return "";
    std::string folder = path;
    SDL_free(path);
    return folder;
}

}  // namespace platform
