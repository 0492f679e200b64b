// The worker thread shared by the score exchange, the save commit and the
// asset loader: order, the newest-request-only queue, stopping with a bounded
// wait, a forked child, and the fallback when no thread can be started.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "sys/Worker.h"

namespace {

constexpr int LongMs = 10000;  // a bound that only a hang reaches

// A task that waits until the test opens the gate.
struct Gate {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Open = false;
    bool Entered = false;

    void Pass() {
        std::unique_lock<std::mutex> lock(Lock);
        Entered = true;
        Changed.notify_all();
        Changed.wait(lock, [this] { return Open; });
    }
    void WaitEntered() {
        std::unique_lock<std::mutex> lock(Lock);
        Changed.wait(lock, [this] { return Entered; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(Lock);
        Open = true;
        Changed.notify_all();
    }
};

// Records which tasks ran, in which order and on which thread.
struct Log {
    std::mutex Lock;
    std::vector<int> Ran;
    std::vector<std::thread::id> Threads;

    Worker::Task Note(int n) {
        return [this, n](const std::atomic<bool>&) {
            std::lock_guard<std::mutex> lock(Lock);
            Ran.push_back(n);
            Threads.push_back(std::this_thread::get_id());
        };
    }
};

TEST(Worker, RunsTasksInOrderOffTheCallingThread) {
    Worker worker;
    Log log;
    for (int n = 0; n < 50; ++n) ASSERT_TRUE(worker.Post(log.Note(n)));
    ASSERT_TRUE(worker.WaitIdle(LongMs));
    EXPECT_FALSE(worker.Busy());
    EXPECT_TRUE(worker.Threaded());
    std::vector<int> expected;
    for (int n = 0; n < 50; ++n) expected.push_back(n);
    EXPECT_EQ(log.Ran, expected);
    for (std::thread::id id : log.Threads) EXPECT_NE(id, std::this_thread::get_id());
}

TEST(Worker, NewestRequestReplacesTheWaitingOnesButNotTheRunningOne) {
    Worker worker;
    Gate gate;
    Log log;
    worker.Post([&](const std::atomic<bool>&) {
        gate.Pass();
        log.Note(0)(std::atomic<bool>{false});
    });
    gate.WaitEntered();
    worker.Post(log.Note(1));
    worker.Post(log.Note(2));
    worker.PostLatest(log.Note(3));
    EXPECT_TRUE(worker.Busy());
    gate.Release();
    ASSERT_TRUE(worker.WaitIdle(LongMs));
    EXPECT_EQ(log.Ran, (std::vector<int>{0, 3}));
}

TEST(Worker, StopFinishesTheQueueWithinItsWaitThenRefusesUntilRestarted) {
    Worker worker;
    Log log;
    for (int n = 0; n < 5; ++n) worker.Post(log.Note(n));
    worker.Stop(LongMs, LongMs);
    EXPECT_EQ(log.Ran.size(), 5u);
    EXPECT_TRUE(worker.Stopped());
    EXPECT_FALSE(worker.Threaded());
    EXPECT_FALSE(worker.Post(log.Note(9)));
    EXPECT_FALSE(worker.Busy());

    worker.Restart();
    EXPECT_TRUE(worker.Post(log.Note(10)));
    ASSERT_TRUE(worker.WaitIdle(LongMs));
    EXPECT_EQ(log.Ran.back(), 10);
}

// A task that watches the stop flag is cut short and its thread joined; the
// tasks behind it never start.
TEST(Worker, StopRaisesTheFlagForTheRunningTaskAndDropsTheRest) {
    Worker worker;
    Log log;
    std::atomic<bool> sawStop{false};
    std::atomic<bool> started{false};
    worker.Post([&](const std::atomic<bool>& stop) {
        started = true;
        while (!stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawStop = true;
    });
    worker.Post(log.Note(1));
    while (!started.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    worker.Stop(0, LongMs);
    EXPECT_TRUE(sawStop.load());
    EXPECT_FALSE(worker.Threaded());
    EXPECT_TRUE(log.Ran.empty());
}

// A task stuck where no flag reaches it (a name look-up, say) must not hold
// up the exit: the worker gives up on it after the bounded wait.
TEST(Worker, StopLeavesAStuckTaskBehindAndStartsAfreshOnRestart) {
    // Both outlive the test: the stray thread still uses them.
    static Worker* worker = new Worker;
    static Gate* gate = new Gate;
    worker->Post([](const std::atomic<bool>&) { gate->Pass(); });
    gate->WaitEntered();
    worker->Stop(0, 20);
    EXPECT_FALSE(worker->Threaded());

    worker->Restart();
    Log log;
    EXPECT_TRUE(worker->Post(log.Note(1)));
    ASSERT_TRUE(worker->WaitIdle(LongMs));
    EXPECT_EQ(log.Ran, (std::vector<int>{1}));
    gate->Release();  // the stray thread finishes its task and leaves
    worker->Stop(LongMs, LongMs);
}

// The child of a fork inherits the worker's memory but not its thread, here
// while a task is running: the child's worker must start afresh and run.
TEST(Worker, AForkedChildRunsItsOwnTasks) {
    static Worker* worker = new Worker;  // forked children reach every live worker
    Gate gate;
    worker->Post([&](const std::atomic<bool>&) { gate.Pass(); });
    gate.WaitEntered();

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::atomic<int> ran{0};
        worker->Post([&](const std::atomic<bool>&) { ran += 1; });
        bool idle = worker->WaitIdle(LongMs);
        _exit(idle && ran == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    gate.Release();
    ASSERT_TRUE(worker->WaitIdle(LongMs));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// When the system refuses a thread, the work is done on the posting thread,
// in order, and the next post tries for a thread again.
TEST(Worker, RunsTasksOnTheCallingThreadWhenNoThreadCanStart) {
    pthread_attr_t saved;
    ASSERT_EQ(pthread_getattr_default_np(&saved), 0);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    // No machine can map a stack this size, so every thread start fails.
    ASSERT_EQ(pthread_attr_setstacksize(&huge, size_t(1) << 46), 0);
    ASSERT_EQ(pthread_setattr_default_np(&huge), 0);

    Worker worker;
    Log log;
    bool posted = worker.Post(log.Note(1)) && worker.Post(log.Note(2));
    bool threaded = worker.Threaded();
    pthread_setattr_default_np(&saved);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&saved);

    EXPECT_TRUE(posted);
    EXPECT_FALSE(threaded);
    EXPECT_EQ(log.Ran, (std::vector<int>{1, 2}));
    for (std::thread::id id : log.Threads) EXPECT_EQ(id, std::this_thread::get_id());

    worker.Post(log.Note(3));
    ASSERT_TRUE(worker.WaitIdle(LongMs));
    EXPECT_TRUE(worker.Threaded());
    EXPECT_NE(log.Threads.back(), std::this_thread::get_id());
}

}  // namespace
