#include "UiDispatcher.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(UiDispatcher, SendRunsOnTheWindowThreadInOrderWithPosts) {
    CUiDispatcher ui;
    ui.BindToCurrentThread();
    std::vector<int> order;
    std::thread::id ran;
    std::thread worker([&] {
        ui.Post([&] { order.push_back(1); });
        ui.Send([&] {
            order.push_back(2);
            ran = std::this_thread::get_id();
        });
        ui.Post([&] { order.push_back(3); });
    });
    EXPECT_TRUE(ui.PumpUntil([&] { return order.size() == 3; }, 2000));
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ran, std::this_thread::get_id());
}

TEST(UiDispatcher, AbandonedSendReturnsWithoutTheWindowThread) {
    CUiDispatcher ui;
    ui.BindToCurrentThread();
    std::atomic<bool> abandon{false};
    std::atomic<int> result{-1};
    std::thread t([&] { result = ui.Send([] {}, &abandon) ? 1 : 0; });
    abandon = true;
    ui.CancelWaiters();
    t.join();
    EXPECT_EQ(result, 0);
}

TEST(UiDispatcher, TimersRepeatUntilStopped) {
    CUiDispatcher ui;
    ui.BindToCurrentThread();
    int ticks = 0;
    ui.StartTimer(4, 5, [&] {
        if (++ticks == 3) ui.StopTimer(4);
    });
    ui.PumpFor(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(ui.IsTimerRunning(4));
}
