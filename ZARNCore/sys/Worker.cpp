// The worker thread shared by every background job of the program.
#include "sys/Worker.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

struct Worker::State {
    explicit State(State* previous = nullptr) : Previous(previous) {}

    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<Task> Waiting;
    std::atomic<bool> StopFlag{false};
    bool Running = false;     // a task is being run, on the thread or inline
    bool Started = false;     // Thread holds a live thread
    bool Exited = false;      // the thread has left its loop
    bool Refusing = false;    // stopped: posts are dropped
    bool LeftBehind = false;  // the thread did not leave in time and was detached
    std::thread Thread;
    // The state this one replaced (after a fork, or a thread left behind):
    // kept reachable, since a stray thread may still use it.
    State* Previous;
};

namespace {

// Every worker, so that a forked child can reset them all. Workers live for
// the whole program; a handful exist.
constexpr int MaxWorkers = 16;
std::atomic<Worker*> AllWorkers[MaxWorkers];

void RunTasks(Worker::State* s) {
    std::unique_lock<std::mutex> lock(s->Lock);
    for (;;) {
        s->Changed.wait(lock, [s] { return !s->Waiting.empty() || s->StopFlag.load(); });
        if (s->StopFlag.load()) break;
        Worker::Task task = std::move(s->Waiting.front());
        s->Waiting.pop_front();
        s->Running = true;
        lock.unlock();
        task(s->StopFlag);
        task = nullptr;  // what the task holds goes before the lock is taken
        lock.lock();
        s->Running = false;
        s->Changed.notify_all();
    }
    s->Exited = true;
    s->Changed.notify_all();
}

}  // namespace

Worker::Worker() : state_(new State) {
    static std::once_flag registered;
    std::call_once(registered, [] { pthread_atfork(nullptr, nullptr, &Worker::ResetAllInChild); });
    for (auto& slot : AllWorkers) {
        Worker* none = nullptr;
        if (slot.compare_exchange_strong(none, this)) break;
    }
}

// The program's workers are never destroyed; a test's own worker is, once
// its thread has gone.
Worker::~Worker() {
    for (auto& slot : AllWorkers) {
        Worker* me = this;
        if (slot.compare_exchange_strong(me, nullptr)) break;
    }
    Stop(0, 1000);
    for (State* s = state_.load(); s; s = s->Previous)
        if (s->LeftBehind || s->Thread.joinable()) return;  // a stray thread, or a fork's copy of one
    for (State* s = state_.load(); s;) {
        State* previous = s->Previous;
        delete s;
        s = previous;
    }
}

// The child of a fork has only the forking thread: the old states, maybe
// locked by a thread that does not exist here, are set aside.
void Worker::ResetAllInChild() {
    for (auto& slot : AllWorkers) {
        Worker* w = slot.load();
        if (w) w->state_.store(new State(w->state_.load()));
    }
}

bool Worker::Post(Task task) { return Queue(std::move(task), false); }

bool Worker::PostLatest(Task task) { return Queue(std::move(task), true); }

bool Worker::Queue(Task task, bool replaceWaiting) {
    State* s = state_.load();
    std::deque<Task> dropped;  // destroyed once the lock is released
    std::unique_lock<std::mutex> lock(s->Lock);
    if (s->Refusing) return false;
    if (replaceWaiting) dropped.swap(s->Waiting);
    s->Waiting.push_back(std::move(task));
    if (!s->Started) {
        bool started = false;
        if (ThreadsAvailable()) {
            try {
                s->Thread = std::thread(RunTasks, s);
                s->Started = started = true;
                s->Exited = false;
            } catch (const std::system_error&) {
            }
        }
        if (!started) {
            // No thread today: the work is done here, in order, and a later
            // post tries again.
            while (!s->Waiting.empty() && !s->Running) {
                Task now = std::move(s->Waiting.front());
                s->Waiting.pop_front();
                s->Running = true;
                lock.unlock();
                now(s->StopFlag);
                now = nullptr;
                lock.lock();
                s->Running = false;
                s->Changed.notify_all();
            }
            return true;
        }
    }
    s->Changed.notify_all();
    return true;
}

bool Worker::Busy() const {
    State* s = state_.load();
    std::lock_guard<std::mutex> lock(s->Lock);
    return s->Running || !s->Waiting.empty();
}

bool Worker::WaitIdle(int ms) const {
    State* s = state_.load();
    std::unique_lock<std::mutex> lock(s->Lock);
    return s->Changed.wait_for(lock, std::chrono::milliseconds(ms > 0 ? ms : 0),
                               [s] { return !s->Running && s->Waiting.empty(); });
}

void Worker::Stop(int drainMs, int leaveMs) {
    State* s = state_.load();
    std::deque<Task> dropped;
    std::thread thread;
    bool left = true;
    {
        std::unique_lock<std::mutex> lock(s->Lock);
        s->Changed.wait_for(lock, std::chrono::milliseconds(drainMs > 0 ? drainMs : 0),
                            [s] { return !s->Running && s->Waiting.empty(); });
        s->Refusing = true;
        s->StopFlag.store(true);
        dropped.swap(s->Waiting);
        s->Changed.notify_all();
        if (!s->Started) return;
        left = s->Changed.wait_for(lock, std::chrono::milliseconds(leaveMs > 0 ? leaveMs : 0),
                                   [s] { return s->Exited; });
        thread = std::move(s->Thread);
        s->Started = false;
        s->LeftBehind = !left;
    }
    if (left) {
        thread.join();
    } else {
        thread.detach();
    }
}

bool Worker::Stopped() const {
    State* s = state_.load();
    std::lock_guard<std::mutex> lock(s->Lock);
    return s->Refusing;
}

void Worker::Restart() {
    State* s = state_.load();
    std::lock_guard<std::mutex> lock(s->Lock);
    if (!s->Refusing) return;
    if (s->LeftBehind) {
        // The stray thread keeps its own state, stop flag raised.
        state_.store(new State(s));
        return;
    }
    s->Refusing = false;
    s->StopFlag.store(false);
}

bool Worker::ThreadsAvailable() {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    return false;
#else
    return true;
#endif
}

bool Worker::Threaded() const {
    State* s = state_.load();
    std::lock_guard<std::mutex> lock(s->Lock);
    return s->Started;
}
