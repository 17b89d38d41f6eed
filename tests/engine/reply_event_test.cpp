#include "ReplyEvent.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ReplyEvent, IdleSetDoesNotCompleteTheNextCommand) {
    CReplyEvent ev;
    std::atomic<int> curType{0}, curWrite{0};
    // A reply-less event arriving while nothing is in flight ...
    EXPECT_TRUE(ev.SetIfIdle(curType, ev.Generation()));
    // ... is cleared when the worker starts the next command, and cannot set it afterwards.
    unsigned mark = ev.BeginCommand(16, 0, curType, curWrite);
    EXPECT_FALSE(ev.SetIfIdle(curType, ev.Generation()));
    EXPECT_FALSE(ev.Wait(5, mark));
    std::thread t([&] { ev.Set(); });
    EXPECT_TRUE(ev.Wait(2000, mark));
    t.join();
}

// A reply's result handler starts the next job (a retry on the operator's word), and the worker
// begins that job's first wait before the handler returns: the reply's sets, which come after the
// handler, must not complete the new wait.
TEST(ReplyEvent, SetsOfAHandledReplyNeverCompleteAWaitBegunMeanwhile) {
    CReplyEvent ev;
    std::atomic<int> curType{0}, curWrite{0};
    ev.BeginCommand(16, 0, curType, curWrite);
    const unsigned answered = ev.Generation(); // the reply arrives
    curType = 0;                               // its handler ends the command ...
    ev.Reset();                                // ... and the worker writes the next escape
    const unsigned mark = ev.AbortCount();
    ev.SetIfCurrent(answered);
    EXPECT_FALSE(ev.SetIfIdle(curType, answered));
    EXPECT_FALSE(ev.Wait(5, mark));
    ev.SetIfCurrent(ev.Generation()); // the new wait's own answer
    EXPECT_TRUE(ev.Wait(5, mark));
}

TEST(ReplyEvent, AbortBeforeTheResetIsNotLost) {
    CReplyEvent ev;
    std::atomic<int> curType{0}, curWrite{0};
    unsigned mark = ev.BeginCommand(16, 0, curType, curWrite);
    ev.Abort();
    ev.Reset(); // the send step resets again before writing
    EXPECT_TRUE(ev.Wait(5, mark));
}

// The dispatcher's "no command in flight -> set the event" racing the worker's start of the next
// command: the worker checks right after it started a command that nothing completed it.
TEST(ReplyEvent, IdleSetUnderTheLockNeverCompletesAStartedCommand) {
    CReplyEvent ev;
    std::atomic<int> curType{0}, curWrite{0};
    std::atomic<bool> stop{false};
    std::thread dispatcher([&] {
        while (!stop)
            ev.SetIfIdle(curType, ev.Generation());
    });
    int spurious = 0;
    for (int i = 0; i < 2000; ++i) {
        unsigned mark = ev.BeginCommand(16, 0, curType, curWrite);
        std::this_thread::yield();
        if (ev.Wait(0, mark)) ++spurious; // set although no reply came
        curType = 0;                      // the result handler ends the command
    }
    stop = true;
    dispatcher.join();
    EXPECT_EQ(spurious, 0);
}
