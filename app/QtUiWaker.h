#pragma once

#include "UiDispatcher.h"

#include <QObject>
#include <QTimer>

#include <atomic>

// The Qt side of the engine's window-thread dispatcher: Wake queues one RunPending call on the
// event loop of the thread that owns this object, WakeAfter arms a single-shot timer there for
// the dispatcher's next due timer. Wakes coalesce: at most one queued call is outstanding.
class CQtUiWaker : public QObject, public IUiWaker {
    Q_OBJECT
  public:
    // Binds the dispatcher to the calling thread (the window thread) and installs itself.
    explicit CQtUiWaker(CUiDispatcher& dispatcher, QObject* parent = nullptr);
    ~CQtUiWaker() override;

    void Wake() override;
    void WakeAfter(int ms) override;

  private:
    void Run();
    void Arm(int ms);

    CUiDispatcher& dispatcher;
    QTimer timer;
    std::atomic<bool> wakeQueued{false};
};
