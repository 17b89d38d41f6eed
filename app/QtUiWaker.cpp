#include "QtUiWaker.h"

#include <QThread>

CQtUiWaker::CQtUiWaker(CUiDispatcher& d, QObject* parent) : QObject(parent), dispatcher(d) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &CQtUiWaker::Run);
    dispatcher.BindToCurrentThread();
    dispatcher.SetWaker(this);
}

CQtUiWaker::~CQtUiWaker() {
    dispatcher.SetWaker(nullptr);
}

void CQtUiWaker::Wake() {
    if (wakeQueued.exchange(true)) return;
    QMetaObject::invokeMethod(this, &CQtUiWaker::Run, Qt::QueuedConnection);
}

void CQtUiWaker::WakeAfter(int ms) {
    if (QThread::currentThread() == thread())
        Arm(ms);
    else
        QMetaObject::invokeMethod(
            this, [this, ms] { Arm(ms); }, Qt::QueuedConnection);
}

void CQtUiWaker::Run() {
    // Cleared first: a task posted while RunPending runs (or inside a modal loop it opens)
    // queues a fresh call.
    wakeQueued.store(false);
    const int next = dispatcher.RunPending();
    if (next >= 0) Arm(next);
}

void CQtUiWaker::Arm(int ms) {
    if (timer.isActive() && timer.remainingTime() <= ms) return;
    timer.start(ms);
}
