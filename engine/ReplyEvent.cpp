#include "ReplyEvent.h"

unsigned CReplyEvent::BeginCommand(int type, int isWrite, std::atomic<int>& curType,
                                   std::atomic<int>& curWrite) {
    std::lock_guard<std::mutex> g(lock);
    curType.store(type);
    curWrite.store(isWrite);
    signalled = false;
    ++generation;
    return aborts;
}

void CReplyEvent::Reset() {
    std::lock_guard<std::mutex> g(lock);
    signalled = false;
    ++generation;
}

unsigned CReplyEvent::Generation() const {
    std::lock_guard<std::mutex> g(lock);
    return generation;
}

void CReplyEvent::SetIfCurrent(unsigned since) {
    {
        std::lock_guard<std::mutex> g(lock);
        if (generation != since) return;
        signalled = true;
    }
    cv.notify_all();
}

void CReplyEvent::Set() {
    {
        std::lock_guard<std::mutex> g(lock);
        signalled = true;
    }
    cv.notify_all();
}

bool CReplyEvent::SetIfIdle(const std::atomic<int>& curType, unsigned since) {
    {
        std::lock_guard<std::mutex> g(lock);
        if (curType.load() != 0 || generation != since) return false;
        signalled = true;
    }
    cv.notify_all();
    return true;
}

void CReplyEvent::Abort() {
    {
        std::lock_guard<std::mutex> g(lock);
        signalled = true;
        ++aborts;
    }
    cv.notify_all();
}

unsigned CReplyEvent::AbortCount() const {
    std::lock_guard<std::mutex> g(lock);
    return aborts;
}

bool CReplyEvent::Wait(int ms, unsigned abortMark) {
    std::unique_lock<std::mutex> g(lock);
    return cv.wait_for(g, std::chrono::milliseconds(ms), [&] { return signalled || aborts != abortMark; });
}

bool CReplyEvent::WaitForAbort(int ms, unsigned abortMark) {
    std::unique_lock<std::mutex> g(lock);
    return cv.wait_for(g, std::chrono::milliseconds(ms), [&] { return aborts != abortMark; });
}
