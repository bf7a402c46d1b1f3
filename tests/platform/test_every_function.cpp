// Every function that the platform interface declares is defined by the backend that this test
// program links, and the datagram functions by this system's sockets: a missing one fails the link.
#include "platform/datagrams.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

using AnyFunction = void (*)();

template <typename Function>
AnyFunction any(Function* function) {
    return reinterpret_cast<AnyFunction>(function);
}

TEST(PlatformInterface, TheBackendDefinesEveryFunction) {
    using namespace platform;
    const AnyFunction functions[] = {
        any(&messageBox), any(&setMessageObserver), any(&setWindowClass), any(&changeDisplayMode),
        any(&restoreDisplayMode), any(&createWindow), any(&destroyWindow), any(&createGLContext),
        any(&destroyGLContext), any(&showWindow), any(&showCursor), any(&swapBuffers),
        any(&setFullScreen), any(&isFullScreen), any(&runMessageLoop), any(&attachWindowEvents),
        any(&postQuit), any(&startTextInput), any(&stopTextInput), any(&openSoundRing), any(&playWave),
        any(&waveFilePlayable), any(&openRelativeMouse), any(&readMouseMotion), any(&raiseProcessPriority),
        any(&raiseThreadToTimeCritical), any(&sleepMilliseconds), any(&executableFolder), any(&userDataFolder)};
    for (AnyFunction function : functions) EXPECT_NE(function, nullptr);
}

TEST(PlatformInterface, TheSystemDefinesEveryDatagramFunction) {
    using namespace platform;
    bool (*equal)(const NetAddress&, const NetAddress&) = &operator==;
    const AnyFunction functions[] = {any(equal), any(&addressText), any(&resolveAddress), any(&localAddresses),
                                     any(&openDatagramSocket)};
    for (AnyFunction function : functions) EXPECT_NE(function, nullptr);
}

}  // namespace
