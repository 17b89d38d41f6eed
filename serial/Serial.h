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

// One serial port on termios, opened by its "COM" number (see PortNames.h), with an event
// thread that watches it with poll() and tells the owner.
class CSerial {
public:
    CSerial();
    virtual ~CSerial();
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;

    // parity: 0 none, 1 odd, 2 even, 3 mark, 4 space; stopBits: 0 one, 1 one and a half, 2 two.
    bool Open(unsigned portNumber, unsigned baudRate, int dataBits, int parity, int stopBits);
    // Closes the port and joins the event thread: no old thread outlives a reopen.
    void Close();
    bool IsOpen() const;
    bool Configure(unsigned baudRate, int dataBits, int parity, int stopBits);
    bool Purge(unsigned flags);
    // Reads what is queued, at most size bytes, waiting at most timeoutMs for the first byte.
    int Read(void* buffer, int size, int timeoutMs);
    int Write(const void* buffer, int size);
    int PurgeAndWrite(const void* buffer, int size);
    void SetOwner(ISerialOwner* owner);
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
    void Notify(int message, long lParam);
    void Fail(int err, const std::string& text);

    std::atomic<int> fd{-1};
    int wakeFd = -1;                  // eventfd that ends the event thread's poll
    std::atomic<bool> stop{false};
    std::thread eventThread;
    std::mutex writeLock;             // serialises writers (worker, console, handshake timer)
    std::atomic<ISerialOwner*> owner{nullptr};
    std::atomic<unsigned> rxThreshold{0};
    int lastError = 0;
    std::string lastErrorText;
    std::string devicePath;
    int lastModemLines = 0;
};
