#include "CmdQueue.h"

void CCmdQueue::Push(const SCmdItem& item) {
    std::lock_guard<std::mutex> g(lock);
    items.push_back(item);
    count.store(static_cast<int>(items.size()), std::memory_order_release);
}

void CCmdQueue::Pop() {
    std::lock_guard<std::mutex> g(lock);
    if (!items.empty()) items.pop_front();
    count.store(static_cast<int>(items.size()), std::memory_order_release);
}

SCmdItem CCmdQueue::Front() const {
    std::lock_guard<std::mutex> g(lock);
    return items.empty() ? SCmdItem{} : items.front();
}

bool CCmdQueue::TakeFront(SCmdItem& out) {
    std::lock_guard<std::mutex> g(lock);
    if (items.empty()) return false;
    out = items.front();
    items.pop_front();
    count.store(static_cast<int>(items.size()), std::memory_order_release);
    return true;
}

void CCmdQueue::Clear() {
    std::lock_guard<std::mutex> g(lock);
    items.clear();
    count.store(0, std::memory_order_release);
}

void CCmdQueue::TakeAll(CCmdQueue& other) {
    Clear();
    while (other.GetCount() != 0) {
        Push(other.Front());
        other.Pop();
    }
}
