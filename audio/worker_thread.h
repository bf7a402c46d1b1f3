// A thread that calls runOnce over and over until it is told to stop. The stop event is
// manual-reset and never reset, so a stopped WorkerThread cannot run again: a thread started after
// stopThread returns at once. Derived classes stop the thread in their own destructor, because
// runOnce must not run while the derived part is being torn down.
#pragma once

#include "platform/threading.h"

#include <thread>

class WorkerThread {
public:
    WorkerThread();
    virtual ~WorkerThread();  // derived classes stop a running thread in their destructor
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // One iteration of the thread's work; the result is not used.
    virtual bool runOnce() = 0;

    // Starts the thread; a suspended one waits for resumeThread (or stopThread) before its first
    // iteration. False, and nothing started, when a thread was already started or none can be made.
    bool startThread(bool suspended);
    void resumeThread();
    // Signals the stop event and joins the thread. The thread leaves after its current iteration;
    // long waits inside an iteration watch stopEvent so that this happens within milliseconds.
    // Without a thread it only signals the stop event. Safe to repeat.
    void stopThread();
    bool threadStarted() const { return thread.joinable(); }

    // The thread procedure: iterations until the stop event is signalled.
    static int threadMain(WorkerThread* object);

protected:
    // Runs on the new thread before its first iteration (e.g. to raise its priority).
    virtual void threadStarting() {}

    platform::Event stopEvent{true};

private:
    void threadEntry();

    platform::Event resumeEvent{true};
    std::thread thread;
};
