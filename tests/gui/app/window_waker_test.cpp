// The Qt side of the window-thread dispatcher: posted and sent tasks from another thread run on
// the event loop (also inside a modal loop), and dispatcher timers fire without polling.
#include "QtUiWaker.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <thread>

class WakerTest : public QObject {
    Q_OBJECT
  private slots:
    void postedTasksRunOnTheWindowThreadInOrder();
    void sendFromWorkerCompletesInsideAModalLoop();
    void timersFire();
};

void WakerTest::postedTasksRunOnTheWindowThreadInOrder() {
    CUiDispatcher ui;
    CQtUiWaker waker(ui);
    std::vector<int> order;
    std::atomic<int> wrongThread{0};
    QThread* windowThread = QThread::currentThread();
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            ui.Post([&, i] {
                if (QThread::currentThread() != windowThread) ++wrongThread;
                order.push_back(i);
            });
    });
    worker.join();
    QTRY_COMPARE(order.size(), size_t(100));
    QCOMPARE(wrongThread.load(), 0);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(order[i], i);
}

void WakerTest::sendFromWorkerCompletesInsideAModalLoop() {
    CUiDispatcher ui;
    CQtUiWaker waker(ui);
    QDialog modal;
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        // Waits until the window thread has run the task; the window thread sits in exec().
        sent = ui.Send([&] { modal.accept(); });
    });
    QTimer::singleShot(2000, &modal, &QDialog::reject); // guard against a hang
    QCOMPARE(modal.exec(), int(QDialog::Accepted));
    worker.join();
    QVERIFY(sent.load());
}

void WakerTest::timersFire() {
    CUiDispatcher ui;
    CQtUiWaker waker(ui);
    int ticks = 0;
    QElapsedTimer clock;
    clock.start();
    ui.StartTimer(4, 20, [&] { ++ticks; });
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 5, 2000);
    QVERIFY(clock.elapsed() >= 80);
    ui.StopTimer(4);
    const int stopped = ticks;
    QTest::qWait(60);
    QCOMPARE(ticks, stopped);
}

QTEST_MAIN(WakerTest)
#include "window_waker_test.moc"
