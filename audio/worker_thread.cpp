#include "audio/worker_thread.h"

#include <system_error>

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    // Derived classes stop a running thread in their destructors. What can remain here is a
    // thread that was started suspended and never resumed: it wakes, sees the stop and ends
    // without an iteration (a std::thread must never be destroyed unjoined).
    stopThread();
}

bool WorkerThread::startThread(bool suspended) {
    if (thread.joinable()) return false;
    if (!suspended) resumeEvent.set();
    try {
        thread = std::thread(&WorkerThread::threadEntry, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void WorkerThread::resumeThread() { resumeEvent.set(); }

void WorkerThread::stopThread() {
    stopEvent.set();
    if (!thread.joinable()) return;
    resumeEvent.set();  // a suspended thread wakes, sees the stop and leaves
    // Every wait of an iteration watches stopEvent, so the join ends within one short wait (the
    // player's iterations wait at most 10 ms at a time). The thread is never abandoned: it is
    // gone before anything it uses is released.
    thread.join();
    thread = std::thread();
}

int WorkerThread::threadMain(WorkerThread* object) {
    while (!object->stopEvent.wait(0)) object->runOnce();
    return 0;
}

void WorkerThread::threadEntry() {
    resumeEvent.wait(-1);
    if (stopEvent.isSet()) return;
    threadStarting();
    threadMain(this);
}
