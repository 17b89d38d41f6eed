// The event thread of CSerial: poll() on the port and on the wake-up eventfd, and the
// notifications it sends to the owner.
#include "Serial.h"

#include "MessageNumbers.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// While input waits that the owner did not take, look for new bytes this often instead of
// being woken by poll() again and again.
constexpr int kParkedRecheckMs = 20;
// Drivers with modem lines and line counters: how often to look at them when the line is quiet.
constexpr int kLineCheckMs = 100;
// After a write: how often to look whether the driver's output queue has drained.
constexpr int kTxCheckMs = 5;

// The port whose event thread is the calling thread.
thread_local const CSerial* eventThreadOf = nullptr;

int Shorter(int timeout, int candidate) {
    return timeout < 0 || candidate < timeout ? candidate : timeout;
}

// Bytes queued for reading; -1 when the driver cannot say (hung up).
int QueuedInput(int f) {
    int queued = 0;
    return ioctl(f, FIONREAD, &queued) == 0 ? queued : -1;
}

} // namespace

bool CSerial::OnEventThread() const {
    return eventThreadOf == this;
}

void CSerial::Notify(int message, long lParam) {
    if (ISerialOwner* o = owner.load()) o->OnSerialNotify(message, lParam);
}

void CSerial::OnCtsChange() {
    int lines = 0;
    if (ioctl(fd.load(), TIOCMGET, &lines) == 0) Notify(WM_COMM_CTS, (lines & TIOCM_CTS) ? 1 : 0);
}

void CSerial::OnDsrChange() {
    int lines = 0;
    if (ioctl(fd.load(), TIOCMGET, &lines) == 0) Notify(WM_COMM_DSR, (lines & TIOCM_DSR) ? 1 : 0);
}

void CSerial::OnRing() {
    Notify(WM_COMM_RING, 0);
}
void CSerial::OnRlsdChange() {
    Notify(WM_COMM_RLSD, 0);
}
void CSerial::OnBreak() {
    Notify(WM_COMM_BREAK, 0);
}

void CSerial::OnLineError() {
    // Taking the flags clears them, whether or not an owner hears of them.
    const long flags = pendingErrors.exchange(0);
    if (flags) Notify(WM_COMM_ERROR, flags);
}

void CSerial::OnRxChar() {
    Notify(WM_COMM_RXCHAR, 0);
}
void CSerial::OnTxEmpty() {
    Notify(WM_COMM_TXEMPTY, 0);
}
void CSerial::OnGone() {
    Notify(WM_COMM_GONE, 0);
}

bool CSerial::CheckLine(int f) {
    SLineCounts now;
    if (ReadLineCounts(f, now)) {
        static constexpr long kFlags[4] = {CE_RXOVER, CE_OVERRUN, CE_RXPARITY, CE_FRAME};
        long flags = 0;
        for (int i = 0; i < 4; ++i)
            if (now.errors[i] != eventCounts.errors[i]) flags |= kFlags[i];
        const bool brk = now.breaks != eventCounts.breaks;
        const bool ring = now.rings != eventCounts.rings;
        eventCounts = now;
        if (flags) {
            pendingErrors |= flags;
            OnLineError();
            if (stop) return false;
        }
        if (brk) {
            OnBreak();
            if (stop) return false;
        }
        if (ring) {
            OnRing();
            if (stop) return false;
        }
    }
    int lines = 0;
    if (modemSupported && ioctl(f, TIOCMGET, &lines) == 0) {
        const int changed = lines ^ lastModemLines;
        lastModemLines = lines;
        if (changed & TIOCM_CTS) {
            OnCtsChange();
            if (stop) return false;
        }
        if (changed & TIOCM_DSR) {
            OnDsrChange();
            if (stop) return false;
        }
        if (changed & TIOCM_CD) {
            OnRlsdChange();
            if (stop) return false;
        }
        // Drivers without a ring counter: a rising ring indicator.
        if (!countsSupported && (changed & lines & TIOCM_RI)) {
            OnRing();
            if (stop) return false;
        }
    }
    return true;
}

void CSerial::EventLoop() {
    eventThreadOf = this;
    const int f = fd.load();
    const bool lineChecks = countsSupported || modemSupported;
    // Parked: the owner left input unread. poll() would report it again at once, so the thread
    // stops asking for POLLIN and looks every kParkedRecheckMs for more bytes or for a read.
    bool parked = false;
    int parkedQueued = 0;
    unsigned long parkedEpoch = 0;

    while (!stop) {
        pollfd p[2] = {{f, short(parked ? 0 : POLLIN), 0}, {wakeFd, POLLIN, 0}};
        int timeout = -1;
        if (parked) timeout = Shorter(timeout, kParkedRecheckMs);
        if (lineChecks) timeout = Shorter(timeout, kLineCheckMs);
        if (txPending) timeout = Shorter(timeout, kTxCheckMs);
        const int r = poll(p, 2, timeout);
        if (r < 0 && errno == EINTR) continue;
        if (p[1].revents & POLLIN) {
            uint64_t count = 0;
            (void)!read(wakeFd, &count, sizeof count);
        }
        if (stop) return;
        int queued = r < 0 ? -1 : QueuedInput(f);
        if (hungUp || queued < 0 || (p[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            OnGone(); // once: the thread ends and the port waits for Close
            return;
        }
        if (lineChecks && !CheckLine(f)) return;
        if (txPending) {
            int outQueued = 0;
            if (ioctl(f, TIOCOUTQ, &outQueued) != 0 || outQueued == 0) {
                txPending = false;
                OnTxEmpty();
                if (stop) return;
            }
        }

        bool notify = false;
        if (parked) {
            if (rxEpoch != parkedEpoch) {
                parked = false; // someone read or purged: poll() decides again
            } else if (queued > parkedQueued) {
                notify = true;
            }
            parkedQueued = queued;
        } else {
            notify = p[0].revents & POLLIN;
        }
        if (!notify) continue;
        if (queued < int(rxThreshold.load())) {
            parked = true; // below the threshold: wait for more
            parkedEpoch = rxEpoch;
            parkedQueued = queued;
            continue;
        }
        const unsigned long epoch = rxEpoch;
        OnRxChar();
        if (stop) return;
        if (rxEpoch == epoch) {
            parked = true;
            parkedEpoch = epoch;
            parkedQueued = QueuedInput(f);
        } else {
            parked = false;
        }
    }
}
