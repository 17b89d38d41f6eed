#pragma once

#include "CmdItem.h"

#include <atomic>
#include <deque>
#include <mutex>

// Thread-safe first-in first-out queue of command records with a count cached for lock-free reads.
class CCmdQueue {
public:
    void Push(const SCmdItem& item);
    void Pop();
    SCmdItem Front() const; // a copy; callers check IsEmpty first (an empty queue gives a zero record)
    // Front and Pop in one step, so a Clear from another thread cannot come between them.
    // False (out untouched) when the queue is empty.
    bool TakeFront(SCmdItem& out);
    bool IsEmpty() const { return count.load(std::memory_order_acquire) == 0; }
    int GetCount() const { return count.load(std::memory_order_acquire); }
    void Clear();
    // Empties this queue, then moves every record of other here, in order (not atomic as a whole).
    void TakeAll(CCmdQueue& other);

private:
    mutable std::mutex lock; // guards items; count is written under it
    std::deque<SCmdItem> items;
    std::atomic<int> count{0};
};
