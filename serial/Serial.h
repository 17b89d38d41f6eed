#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// Receiver of the port's notifications (message numbers of EMessage: WM_COMM_RXCHAR ...
// WM_COMM_ERROR, and WM_COMM_GONE once when the device vanished). Called on the port's event
// thread; the event thread waits until the call returns.
class ISerialOwner {
  public:
    virtual ~ISerialOwner() = default;
    virtual void OnSerialNotify(int message, long lParam) = 0;
};

// Purge flags of the port (Purge).
enum EPurge : unsigned {
    PURGE_TXABORT = 0x01,
    PURGE_RXABORT = 0x02,
    PURGE_TXCLEAR = 0x04,
    PURGE_RXCLEAR = 0x08,
};

// Error flags of WM_COMM_ERROR (lParam).
enum ECommError : long {
    CE_RXOVER = 0x01,   // the driver's receive buffer overflowed
    CE_OVERRUN = 0x02,  // the UART lost a byte
    CE_RXPARITY = 0x04, // parity error
    CE_FRAME = 0x08,    // framing error
};

// One serial port on termios, opened by its "COM" number (see PortNames.h), with an event
// thread that watches it with poll() and tells the owner.
//
// Threads: Open, Close, Configure and Read belong to the owner's thread; Write, PurgeAndWrite
// and Purge may come from any thread (writers are serialised). Close waits for a Read or Write
// in progress to end, so a file descriptor is never used after it was closed.
//
// Notifications run on the event thread, one at a time, and the thread waits for each.
// WM_COMM_RXCHAR comes when input is queued; the owner is expected to Read it. If the owner
// returns without reading, the thread does not repeat the notification until more bytes arrive
// or something is read, so an owner that ignores input costs no CPU. WM_COMM_GONE comes once
// when the device hangs up (unplugged, or the pseudo-terminal's other end closed); the thread
// then stops watching and the port stays open until Close.
//
// Close may be called from inside a notification: the port is closed at once and the event
// thread ends when the notification returns (it is joined by the next Open, Close or the
// destructor). An owner must not wait inside a notification for the thread that calls Close,
// and must not destroy the CSerial from a notification.
class CSerial {
  public:
    CSerial();
    virtual ~CSerial();
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;

    // parity: 0 none, 1 odd, 2 even, 3 mark, 4 space; stopBits: 0 one, 1 one and a half, 2 two.
    // One and a half stop bits need 5 data bits, two need 6 to 8. On failure the port is closed
    // and LastErrorText says why.
    bool Open(unsigned portNumber, unsigned baudRate, int dataBits, int parity, int stopBits);
    // Closes the port and joins the event thread: no old thread outlives a reopen.
    void Close();
    bool IsOpen() const;
    bool Configure(unsigned baudRate, int dataBits, int parity, int stopBits);
    // PURGE_* flags: RX flags discard the input queue, TX flags the output queue. Nonzero on success.
    bool Purge(unsigned flags);
    // Reads what is queued, at most size bytes; 0 at once when nothing is queued (or when not
    // open), -1 when the port failed or hung up. It never waits: what is queued is taken at once,
    // so timeoutMs (the longest wait the caller would accept) is not needed. When the driver counted a framing, parity or overrun error since the last Read, the
    // queued input is discarded and 0 returned, so damaged bytes never reach a reply.
    int Read(void* buffer, int size, int timeoutMs);
    // Writes all bytes, waiting while the driver's buffer is full, at most about the line time
    // of the bytes plus one second. Returns the bytes written (fewer on time-out), -1 when
    // nothing could be written because the port failed.
    int Write(const void* buffer, int size);
    int PurgeAndWrite(const void* buffer, int size);
    void SetOwner(ISerialOwner* owner);
    // WM_COMM_RXCHAR only when at least count bytes are queued (0 and 1: every arrival).
    void SetRxThreshold(unsigned count);

    // Why the last Open failed: errno (0 when it did not fail at the system level) and a text
    // an operator can act on (no such device, permission with the group to join, busy, bad setting).
    int LastError() const { return lastError; }
    const std::string& LastErrorText() const { return lastErrorText; }
    // The Linux device behind the open (or last tried) port.
    const std::string& DevicePath() const { return devicePath; }

  protected:
    virtual void OnCtsChange();
    virtual void OnDsrChange();
    virtual void OnRing();
    virtual void OnRlsdChange();
    virtual void OnBreak();
    virtual void OnLineError();
    virtual void OnRxChar();
    virtual void OnTxEmpty();
    virtual void OnGone();
    void EventLoop();

  private:
    struct SLineCounts {
        long errors[4] = {}; // buffer overrun, overrun, parity, frame: the order of ECommError
        long breaks = 0;
        long rings = 0;
    };

    void Notify(int message, long lParam);
    void Fail(int err, const std::string& text);
    bool ConfigureFd(int f, unsigned baudRate, int dataBits, int parity, int stopBits);
    bool PurgeFd(int f, unsigned flags);
    int WriteFd(int f, const void* buffer, int size);
    void JoinEventThread();
    // True on this port's event thread (known to the thread itself, so no race with Open
    // assigning eventThread).
    bool OnEventThread() const;
    void Wake();
    bool ReadLineCounts(int f, SLineCounts& counts) const;
    // Event thread: notifies line errors, breaks and modem line changes since the last look.
    // False when the port was closed from a notification.
    bool CheckLine(int f);

    std::atomic<int> fd{-1};
    int wakeFd = -1; // eventfd that wakes the event thread (stop, hang-up, write)
    std::atomic<bool> stop{false};
    std::thread eventThread;
    std::mutex writeLock; // serialises writers (worker, console, handshake timer) and Purge
    std::mutex readLock;  // serialises Read; Close takes both locks to close the fd
    std::atomic<ISerialOwner*> owner{nullptr};
    std::atomic<unsigned> rxThreshold{0};
    std::atomic<unsigned> baudRate{0};     // of the open port, for the write time-out
    std::atomic<unsigned long> rxEpoch{0}; // counts Reads that took bytes and input purges
    std::atomic<bool> hungUp{false};       // a Read saw the end of the line
    std::atomic<bool> txPending{false};    // bytes written since the last WM_COMM_TXEMPTY
    std::atomic<long> pendingErrors{0};    // ECommError flags for OnLineError
    bool countsSupported = false;          // the driver keeps line counters (not a pty)
    bool modemSupported = false;           // the driver reports modem lines (not a pty)
    SLineCounts readCounts;                // counters at the last Read (under readLock)
    SLineCounts eventCounts;               // counters at the event thread's last look
    int lastError = 0;
    std::string lastErrorText;
    std::string devicePath;
    int lastModemLines = 0; // event thread only
};
