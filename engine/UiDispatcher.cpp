#include "UiDispatcher.h"

#include <algorithm>
#include <memory>
#include <vector>

void CUiDispatcher::BindToCurrentThread() {
    uiThread = std::this_thread::get_id();
}
bool CUiDispatcher::IsUiThread() const {
    return std::this_thread::get_id() == uiThread;
}
void CUiDispatcher::SetWaker(IUiWaker* w) {
    waker.store(w);
}

void CUiDispatcher::Notify() {
    changed.notify_all();
    if (IUiWaker* w = waker.load()) w->Wake();
}

void CUiDispatcher::Post(Task task) {
    {
        std::lock_guard<std::mutex> g(lock);
        queue.push_back(std::move(task));
    }
    Notify();
}

bool CUiDispatcher::Send(Task task, const std::atomic<bool>* abandon) {
    if (IsUiThread()) {
        task();
        return true;
    }
    auto done = std::make_shared<bool>(false);
    {
        std::lock_guard<std::mutex> g(lock);
        queue.push_back([this, task = std::move(task), done] {
            task();
            {
                std::lock_guard<std::mutex> g2(lock);
                *done = true;
            }
            changed.notify_all();
        });
    }
    Notify();
    std::unique_lock<std::mutex> g(lock);
    changed.wait(g, [&] { return *done || (abandon && abandon->load()); });
    return *done;
}

void CUiDispatcher::CancelWaiters() {
    { std::lock_guard<std::mutex> g(lock); }
    changed.notify_all();
}

void CUiDispatcher::StartTimer(int id, int periodMs, Task task) {
    {
        std::lock_guard<std::mutex> g(lock);
        timers[id] = STimer{periodMs, Clock::now() + std::chrono::milliseconds(periodMs), std::move(task),
                            ++timerGeneration};
    }
    if (IUiWaker* w = waker.load()) w->WakeAfter(periodMs);
    changed.notify_all();
}

void CUiDispatcher::StopTimer(int id) {
    std::lock_guard<std::mutex> g(lock);
    timers.erase(id);
}

bool CUiDispatcher::IsTimerRunning(int id) const {
    std::lock_guard<std::mutex> g(lock);
    return timers.count(id) != 0;
}

int CUiDispatcher::RunPending() {
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> g(lock);
            if (queue.empty()) break;
            task = std::move(queue.front());
            queue.pop_front();
        }
        task();
    }
    // Due timers: each runs once per call; a timer stopped or restarted by another task is skipped.
    std::vector<std::pair<int, unsigned>> due;
    {
        std::lock_guard<std::mutex> g(lock);
        auto now = Clock::now();
        for (auto& [id, t] : timers)
            if (t.due <= now) due.emplace_back(id, t.generation);
    }
    for (auto [id, gen] : due) {
        Task task;
        {
            std::lock_guard<std::mutex> g(lock);
            auto it = timers.find(id);
            if (it == timers.end() || it->second.generation != gen) continue;
            it->second.due = Clock::now() + std::chrono::milliseconds(it->second.periodMs);
            task = it->second.task;
        }
        task();
    }
    std::lock_guard<std::mutex> g(lock);
    if (!queue.empty()) return 0;
    if (timers.empty()) return -1;
    auto next = Clock::time_point::max();
    for (auto& [id, t] : timers)
        next = std::min(next, t.due);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    return ms < 0 ? 0 : static_cast<int>(ms);
}

void CUiDispatcher::PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

bool CUiDispatcher::PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int next = RunPending();
        if (pred()) return true;
        auto now = Clock::now();
        if (now >= end) return pred();
        // The predicate may depend on other threads' state alone: look again at least every ms.
        Clock::duration wait = std::min<Clock::duration>(end - now, std::chrono::milliseconds(1));
        if (next >= 0) wait = std::min<Clock::duration>(wait, std::chrono::milliseconds(next));
        std::unique_lock<std::mutex> g(lock);
        changed.wait_for(g, wait, [&] { return !queue.empty(); });
    }
}
