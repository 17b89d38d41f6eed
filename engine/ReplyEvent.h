#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// The manual-reset event that paces the worker, plus the state of the command in flight.
// The worker's "set current command + reset event" and the dispatcher's "no command in flight ->
// set event" run under the same lock, so a command completes only by its own reply, an abort or
// a close; aborts are counted so that an abort just before the worker's reset is not lost.
class CReplyEvent {
  public:
    // Worker: a new command is in flight. Returns the abort count to wait against.
    unsigned BeginCommand(int type, int isWrite, std::atomic<int>& curType, std::atomic<int>& curWrite);
    void Reset();
    void Set();
    // Counts the resets (BeginCommand included). A reply's handler may start the next job (a
    // retry on the operator's word) whose worker resets the event before the handler returns:
    // SetIfCurrent(the count read when the reply arrived) then completes only the wait the reply
    // answered, never the new one.
    unsigned Generation() const;
    void SetIfCurrent(unsigned generation);
    // Dispatcher step 6: set the event only when no typed command is in flight and no wait began
    // since generation (read when the bytes arrived). True when set.
    bool SetIfIdle(const std::atomic<int>& curType, unsigned generation);
    // Abort or close: sets the event and counts the abort.
    void Abort();
    unsigned AbortCount() const;
    // True when set (or aborted since abortMark) within ms.
    bool Wait(int ms, unsigned abortMark);
    // A pause of ms that only an abort since abortMark ends early. True when aborted.
    bool WaitForAbort(int ms, unsigned abortMark);

  private:
    mutable std::mutex lock; // guards signalled, aborts, and the writes of curType/curWrite in BeginCommand
    std::condition_variable cv;
    bool signalled = false;
    unsigned aborts = 0;
    unsigned generation = 0;
};
