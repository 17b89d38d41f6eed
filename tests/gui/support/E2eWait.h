#pragma once
// Waiting for the window as the program runs it, in a real event loop. QTest::qWaitFor sleeps
// 10 ms between its passes of the event loop, so a command worker that waits for the window thread
// once per reply (every block of a firmware download) would be paced by the test, not by the module.

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs the event loop until done() holds (looked at every millisecond) or ms have passed.
inline bool RunEventLoopUntil(const std::function<bool()>& done, int ms) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Runs the event loop until done() holds, as long as progress() keeps changing: false once it has
// stood still for stallMs. For long work whose pace depends on the line (a download on a line that
// cuts every reply into pieces takes several times as long as on a clean one).
inline bool RunEventLoopWhileAdvancing(const std::function<bool()>& done, const std::function<long()>& progress,
                                       int stallMs) {
    for (long last = progress();;) {
        if (RunEventLoopUntil([&] { return done() || progress() != last; }, stallMs) && !done()) {
            last = progress();
            continue;
        }
        return done();
    }
}
