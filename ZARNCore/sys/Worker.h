// One background thread that runs queued tasks in the order they were
// posted, so slow work (a network exchange, a disk flush, a PNG decode)
// never holds up a frame. Every extra thread of the program is one of these.
//
// - The thread starts with the first task and sleeps until the next one is
//   posted or the worker is stopped.
// - Stop waits a bounded time for the queue to drain, then raises the stop
//   flag (tasks that can take long look at it), drops what has not started
//   and joins the thread if it leaves in time; a thread stuck in a call that
//   cannot be cut short is left behind rather than holding up the exit.
// - The worker's state is allocated once and never freed, so a thread left
//   behind at exit touches nothing that static destruction has taken down.
// - A forked child has no worker threads, and maybe a lock held by one: in
//   the child every worker starts over, empty and not started.
// - When no thread can be started, a task runs at once on the thread that
//   posts it: slower, never lost.
#pragma once

#include <atomic>
#include <functional>

class Worker {
public:
    // The flag is raised once the worker is stopping; a long task checks it.
    using Task = std::function<void(const std::atomic<bool>& stop)>;

    Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // Stops the worker, giving a running task a second to finish.
    ~Worker();

    // Queues a task behind the others. False, and the task dropped, while
    // the worker is stopped.
    bool Post(Task task);
    // Queues a task in place of every task still waiting (the running one
    // finishes): only the newest request matters.
    bool PostLatest(Task task);

    // A task is waiting or running.
    bool Busy() const;
    // Waits at most ms for every queued task to finish; true when they did.
    bool WaitIdle(int ms) const;

    // Waits at most drainMs for the queue to drain, then stops: the stop flag
    // is raised, waiting tasks are dropped, and the thread is joined if it
    // leaves within leaveMs. Posts are refused from then on until Restart.
    void Stop(int drainMs, int leaveMs);
    bool Stopped() const;
    // Accepts tasks again after a stop; a new thread starts with the next.
    void Restart();

    // A thread of its own is running the tasks.
    bool Threaded() const;
    // False where no thread can ever start (a browser build without
    // threads): every task then runs on the thread that posts it.
    static bool ThreadsAvailable();

    struct State;

private:
    static void ResetAllInChild();
    bool Queue(Task task, bool replaceWaiting);
    std::atomic<State*> state_;
};
