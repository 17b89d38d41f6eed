// CSerial on termios: open, line settings, read, write, purge and close. The event thread is in
// SerialEvents.cpp.
#include "Serial.h"

#include "MessageNumbers.h"
#include "PortEnum.h"
#include "PortNames.h"
#include "SerialErrors.h"
#include "SerialLine.h"
#include "SerialSpeed.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, at least 0.
int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

} // namespace

CSerial::CSerial() = default;

CSerial::~CSerial() {
    Close();
    if (wakeFd >= 0) close(wakeFd);
}

bool CSerial::IsOpen() const {
    return fd.load() >= 0;
}

void CSerial::SetOwner(ISerialOwner* newOwner) {
    owner = newOwner;
}

void CSerial::SetRxThreshold(unsigned count) {
    rxThreshold = count;
}

void CSerial::Fail(int err, const std::string& text) {
    lastError = err;
    lastErrorText = text;
}

void CSerial::Wake() {
    const uint64_t one = 1;
    if (wakeFd >= 0) (void)!write(wakeFd, &one, sizeof one);
}

void CSerial::JoinEventThread() {
    if (!OnEventThread() && eventThread.joinable()) eventThread.join();
}

bool CSerial::Open(unsigned portNumber, unsigned baud, int dataBits, int parity, int stopBits) {
    if (IsOpen()) {
        Fail(0, RefusalText(devicePath, "the port is already open"));
        return false;
    }
    if (OnEventThread()) {
        // Called from a notification of the previous connection, whose thread cannot end yet.
        Fail(0, RefusalText(PortNameOf(portNumber), "cannot reopen from a port notification"));
        return false;
    }
    JoinEventThread(); // a thread that ended by hang-up, or after a Close from a notification
    lastError = 0;
    lastErrorText.clear();

    const std::string path =
        portNumber >= 1 && portNumber <= kMaxPortNumber ? ResolvePortPath(portNumber) : "";
    devicePath = path.empty() ? PortNameOf(portNumber) : path;
    if (path.empty()) {
        Fail(0, OpenFailureText(ENODEV, devicePath));
        return false;
    }
    const SLineSettings line{baud, dataBits, parity, stopBits};
    if (const std::string problem = LineSettingsProblem(line); !problem.empty()) {
        Fail(0, RefusalText(devicePath, problem));
        return false;
    }

    const int f = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (f < 0) {
        const int err = errno;
        Fail(err, OpenFailureText(err, devicePath));
        return false;
    }
    bool exclusive = false; // TIOCEXCL belongs to the terminal: clear only what this open set
    auto giveUp = [&](int err, const std::string& text) {
        if (exclusive) ioctl(f, TIOCNXCL);
        close(f);
        Fail(err, text);
        return false;
    };
    if (!isatty(f)) return giveUp(ENOTTY, RefusalText(devicePath, "not a serial device"));
    // The lock keeps out every program that locks too (and a second CSerial in this one);
    // TIOCEXCL refuses later opens by programs that do not lock. Root passes TIOCEXCL, so a
    // terminal that is exclusive already counts as held, too.
    if (flock(f, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        return giveUp(err, OpenFailureText(err, devicePath));
    }
    int heldExclusive = 0;
    if (ioctl(f, TIOCGEXCL, &heldExclusive) == 0 && heldExclusive)
        return giveUp(EBUSY, OpenFailureText(EBUSY, devicePath));
    exclusive = ioctl(f, TIOCEXCL) == 0;
    if (!ConfigureFd(f, baud, dataBits, parity, stopBits)) return giveUp(lastError, lastErrorText);
    tcflush(f, TCIOFLUSH);

    serial_icounter_struct icount{};
    countsSupported = ioctl(f, TIOCGICOUNT, &icount) == 0;
    if (countsSupported) {
        ReadLineCounts(f, readCounts);
        eventCounts = readCounts;
    }
    modemSupported = ioctl(f, TIOCMGET, &lastModemLines) == 0;

    if (wakeFd < 0) wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        const int err = errno;
        return giveUp(err, RefusalText(devicePath, ErrnoText(err)));
    }
    uint64_t drained = 0;
    (void)!read(wakeFd, &drained, sizeof drained);
    stop = false;
    hungUp = false;
    txPending = false;
    pendingErrors = 0;
    baudRate = baud;
    fd = f;
    try {
        eventThread = std::thread([this] { EventLoop(); });
    } catch (const std::system_error& e) {
        fd = -1;
        return giveUp(e.code().value(), RefusalText(devicePath, e.what()));
    }
    return true;
}

bool CSerial::ConfigureFd(int f, unsigned baud, int dataBits, int parity, int stopBits) {
    const SLineSettings line{baud, dataBits, parity, stopBits};
    if (const std::string problem = LineSettingsProblem(line); !problem.empty()) {
        Fail(0, RefusalText(devicePath, problem));
        return false;
    }
    termios t{};
    if (tcgetattr(f, &t) != 0) {
        const int err = errno;
        Fail(err, RefusalText(devicePath, ErrnoText(err)));
        return false;
    }
    ApplyLineSettings(line, t);
    if (tcsetattr(f, TCSANOW, &t) != 0) {
        const int err = errno;
        Fail(err, RefusalText(devicePath, ErrnoText(err)));
        return false;
    }
    if (StandardSpeed(baud) == 0) {
        if (const int err = SetFreeBaudRate(f, baud)) {
            Fail(err, RefusalText(devicePath,
                                  "baud rate " + std::to_string(baud) + " is not supported by the driver"));
            return false;
        }
    }
    // tcsetattr succeeds when any part was taken: read back what the driver kept.
    unsigned actual = 0;
    if (tcgetattr(f, &t) != 0 || ReadBaudRate(f, actual) != 0) {
        const int err = errno;
        Fail(err, RefusalText(devicePath, ErrnoText(err)));
        return false;
    }
    if (const std::string dropped = LineSettingsDropped(line, t, actual); !dropped.empty()) {
        Fail(EINVAL, RefusalText(devicePath, dropped));
        return false;
    }
    return true;
}

bool CSerial::Configure(unsigned baud, int dataBits, int parity, int stopBits) {
    std::scoped_lock guard(readLock, writeLock);
    const int f = fd.load();
    if (f < 0) return false;
    if (!ConfigureFd(f, baud, dataBits, parity, stopBits)) return false;
    baudRate = baud;
    return true;
}

void CSerial::Close() {
    if (OnEventThread()) {
        stop = true; // from a notification: the thread ends when the notification returns
    } else if (eventThread.joinable()) {
        stop = true;
        Wake();
        eventThread.join();
    }
    std::scoped_lock guard(readLock, writeLock);
    const int f = fd.exchange(-1);
    if (f < 0) return;
    ioctl(f, TIOCNXCL);
    close(f); // also releases the flock
}

bool CSerial::PurgeFd(int f, unsigned flags) {
    const bool rx = flags & (PURGE_RXABORT | PURGE_RXCLEAR);
    const bool tx = flags & (PURGE_TXABORT | PURGE_TXCLEAR);
    if (!rx && !tx) return true;
    if (tcflush(f, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH) != 0) return false;
    if (rx) ++rxEpoch; // the queued input is gone: the event thread may notify again
    return true;
}

bool CSerial::Purge(unsigned flags) {
    std::lock_guard guard(writeLock);
    const int f = fd.load();
    return f >= 0 && PurgeFd(f, flags);
}

bool CSerial::ReadLineCounts(int f, SLineCounts& counts) const {
    serial_icounter_struct icount{};
    if (!countsSupported || ioctl(f, TIOCGICOUNT, &icount) != 0) return false;
    counts.errors[0] = icount.buf_overrun;
    counts.errors[1] = icount.overrun;
    counts.errors[2] = icount.parity;
    counts.errors[3] = icount.frame;
    counts.breaks = icount.brk;
    counts.rings = icount.rng;
    return true;
}

int CSerial::Read(void* buffer, int size, [[maybe_unused]] int timeoutMs) {
    std::lock_guard guard(readLock);
    const int f = fd.load();
    if (f < 0 || !buffer || size <= 0) return 0;
    SLineCounts now;
    if (ReadLineCounts(f, now)) {
        bool damaged = false;
        for (int i = 0; i < 4; ++i)
            damaged |= now.errors[i] != readCounts.errors[i];
        readCounts = now;
        if (damaged) {
            tcflush(f, TCIFLUSH);
            ++rxEpoch;
            return 0;
        }
    }
    // Nothing queued: 0 at once. The caller is the window thread, and a worker's purge may have
    // taken the bytes it was told about; it must not block on a line that stays quiet.
    for (;;) {
        const ssize_t n = read(f, buffer, size_t(size));
        if (n > 0) {
            ++rxEpoch;
            return int(n);
        }
        const int err = n == 0 ? EIO : errno; // VMIN 1: an empty read is a hang-up, never "no data"
        if (n < 0 && err == EINTR) continue;
        if (n == 0 || (err != EAGAIN && err != EWOULDBLOCK)) {
            if (err == EIO || err == ENXIO || err == ENODEV) {
                hungUp = true;
                Wake();
            }
            return -1;
        }
        return 0;
    }
}

int CSerial::WriteFd(int f, const void* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    // The line time of the bytes (11 bits each at the worst framing) plus one second.
    const unsigned baud = baudRate.load() ? baudRate.load() : 9600;
    const auto lineMs = (long long)size * 11 * 1000 / baud + 1;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(1000 + lineMs);
    const char* bytes = static_cast<const char*>(buffer);
    int done = 0;
    bool failed = false;
    while (done < size) {
        const ssize_t n = write(f, bytes + done, size_t(size - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            failed = true;
            break;
        }
        const int left = MsUntil(deadline);
        if (left == 0) break;
        pollfd p{f, POLLOUT, 0};
        const int r = poll(&p, 1, left);
        if (r < 0 && errno != EINTR) {
            failed = true;
            break;
        }
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
            failed = true;
            break;
        }
    }
    if (done > 0) {
        txPending = true;
        Wake();
    }
    return done > 0 || !failed ? done : -1;
}

int CSerial::Write(const void* buffer, int size) {
    std::lock_guard guard(writeLock);
    const int f = fd.load();
    return f < 0 ? 0 : WriteFd(f, buffer, size);
}

int CSerial::PurgeAndWrite(const void* buffer, int size) {
    std::lock_guard guard(writeLock);
    const int f = fd.load();
    if (f < 0) return 0;
    PurgeFd(f, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    return WriteFd(f, buffer, size);
}
