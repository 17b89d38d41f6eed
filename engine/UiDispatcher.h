#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// Wakes the window thread so that it calls CUiDispatcher::RunPending. The Qt side queues a call
// on its event loop; without a waker the window thread pumps with PumpFor/PumpUntil.
class IUiWaker {
public:
    virtual ~IUiWaker() = default;
    virtual void Wake() = 0;                // run RunPending soon
    virtual void WakeAfter(int ms) = 0;     // run RunPending in about ms (next timer)
};

// Hands work to the window thread. Post queues and returns; Send runs the task on the window
// thread and waits (inline when already there). Timers run on the window thread too.
class CUiDispatcher {
public:
    using Task = std::function<void()>;

    // The calling thread becomes the window thread.
    void BindToCurrentThread();
    bool IsUiThread() const;
    void SetWaker(IUiWaker* w);

    void Post(Task task);
    // Returns true when the task ran; false when the wait was abandoned (abandon became true
    // and CancelWaiters was called): the task may still run later.
    bool Send(Task task, const std::atomic<bool>* abandon = nullptr);
    // Wakes every Send waiter so that it re-checks its abandon flag.
    void CancelWaiters();

    void StartTimer(int id, int periodMs, Task task); // replaces a running timer of that id
    void StopTimer(int id);
    bool IsTimerRunning(int id) const;

    // On the window thread: runs the queued tasks and the due timers. Returns the ms until the
    // next timer is due, or -1 when no timer runs.
    int RunPending();
    // On the window thread: keep running tasks for ms milliseconds.
    void PumpFor(int ms);
    // On the window thread: run tasks until pred is true or timeoutMs passed; returns pred().
    bool PumpUntil(const std::function<bool()>& pred, int timeoutMs);

private:
    using Clock = std::chrono::steady_clock;
    struct STimer {
        int periodMs;
        Clock::time_point due;
        Task task;
        unsigned generation;
    };
    void Notify();

    mutable std::mutex lock; // guards queue, timers, generation
    std::condition_variable changed;
    std::deque<Task> queue;
    std::map<int, STimer> timers;
    unsigned timerGeneration = 0;
    unsigned cancelEpoch = 0;
    std::atomic<IUiWaker*> waker{nullptr};
    std::thread::id uiThread;
};
