// The worker thread base: start, suspension, stop and the one-way stop event.
#include "audio/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class CountingWorker : public WorkerThread {
public:
    ~CountingWorker() override { stopThread(); }
    bool runOnce() override {
        ++iterations;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    void threadStarting() override { ++starts; }
    bool stopSignalled() { return stopEvent.isSet(); }

    std::atomic<int> iterations{0};
    std::atomic<int> starts{0};
};

void waitForIterations(CountingWorker& worker, int count) {
    for (int i = 0; i < 5000 && worker.iterations.load() < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

TEST(WorkerThread, RunsIterationsUntilStoppedAndStartsOnlyOnce) {
    CountingWorker worker;
    ASSERT_TRUE(worker.startThread(false));
    EXPECT_TRUE(worker.threadStarted());
    EXPECT_FALSE(worker.startThread(false));  // the running thread is left alone
    waitForIterations(worker, 3);
    worker.stopThread();
    EXPECT_FALSE(worker.threadStarted());
    const int afterStop = worker.iterations.load();
    EXPECT_GE(afterStop, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(worker.iterations.load(), afterStop);
    EXPECT_EQ(worker.starts.load(), 1);
    worker.stopThread();  // again: nothing left to stop
}

TEST(WorkerThread, StopWithoutAThreadOnlySignalsAndLaterStartsEndAtOnce) {
    CountingWorker worker;
    worker.stopThread();
    EXPECT_TRUE(worker.stopSignalled());
    EXPECT_FALSE(worker.threadStarted());

    // The stop event is never reset: a thread started now ends without an iteration.
    ASSERT_TRUE(worker.startThread(false));
    worker.stopThread();
    EXPECT_EQ(worker.iterations.load(), 0);
}

TEST(WorkerThread, ASuspendedThreadWaitsForResume) {
    CountingWorker worker;
    ASSERT_TRUE(worker.startThread(true));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(worker.iterations.load(), 0);
    worker.resumeThread();
    waitForIterations(worker, 1);
    EXPECT_GE(worker.iterations.load(), 1);
    worker.stopThread();
}

TEST(WorkerThread, StoppingASuspendedThreadEndsItWithoutAnIteration) {
    CountingWorker worker;
    ASSERT_TRUE(worker.startThread(true));
    worker.stopThread();
    EXPECT_EQ(worker.iterations.load(), 0);
    EXPECT_EQ(worker.starts.load(), 0);

    // Destroying a never-resumed worker must not hang or abort either.
    auto* forgotten = new CountingWorker;
    ASSERT_TRUE(forgotten->startThread(true));
    delete forgotten;
}
