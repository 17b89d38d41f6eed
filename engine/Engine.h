#pragma once

#include "CmdQueue.h"
#include "CmdResult.h"
#include "EngineHost.h"
#include "Messages.h"
#include "ReplyEvent.h"
#include "Serial.h"
#include "Timings.h"
#include "TransferTelemetry.h"
#include "UiDispatcher.h"
#include "tamsil.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The device command engine: the serial port, the command queues and buffers, the command
// worker, the receive dispatcher, the batches, the remote requests and the firmware upgrade.
// The window owns one; it reaches the window only through IEngineHost and CUiDispatcher.
// Operations marked (UI) run on the window thread.
class CEngine : public ISerialOwner {
  public:
    CEngine(IEngineHost& host, CUiDispatcher& ui, STimings timings = STimings());
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // ---- Port (UI) ----
    // Opens the port and starts the worker. On failure the port is closed again and
    // serial.LastErrorText() says why.
    bool OpenPort(unsigned portNumber, unsigned baudRate, int dataBits, int parity, int stopBits);
    // Stops the worker in the documented order, then closes the port. Never hangs on a worker
    // waiting for the window thread: window work keeps running while it joins.
    void ClosePort();
    bool IsOpen() const { return serial.IsOpen(); }
    // The open port vanished (hang-up or removed alias): abort the job, close, log, tell the host.
    void PortVanished();

    // ---- Worker side (any thread) ----
    bool IntoAtMode(int mode, int noPrompt);
    bool SendCmd(const uint8_t* bytes, int count);
    bool SendData(const uint8_t* bytes, int count);
    void PostWorker(int message, int wParam = 0, int lParam = 0);

    // ---- Receive dispatcher (UI) ----
    int OnCommRxChar();

    // ---- Job messages (UI) ----
    void OnJobAbort();
    void OnEnterFailed(int wParam);
    int OnCmdResult(int result, int code);

    // ---- Batches (UI) ----
    // noPrompt 1: the entry gives up after three attempts whatever the Config Mode says.
    void LoadParams(int noPrompt = 0);
    // True when a job was started (something differed from the values read).
    bool SaveParams();
    void RestartModule();
    void FactoryReset();
    std::string GetPageValue(int code);
    void RememberWrittenValue(const SCmdItem& record);
    void UpdateRemoteNodeAddress(const SCmdItem& record);
    void QueueSaveForRetry();

    // ---- Replies to pages (UI; ReportStatus also from the worker) ----
    int ReportStatus(const SCmdItem& record, int result);
    void ApplyResult(const SCmdResult& result);
    int OnPageAction(int nodeTypeIndex);

    // ---- Remote requests (UI) ----
    int OnNodeAction(int action, long value);
    void BuildRemoteRead(uint16_t node);
    void BuildRemoteWrite(uint16_t node);
    void BuildRemoteRestart(uint16_t node);
    void BuildRemoteFactory(uint16_t node);
    int MakeRemoteWriteFrame(uint16_t node, const SCmdItem& value, SCmdItem& out);

    // ---- Firmware upgrade (UI) ----
    // text: image path, comma, restart flag.
    void OnUpgradeRequest(int wParam, const std::string& text);
    void OnUpgradeStep(int step);
    void OnHandshakeTimer();
    int BuildBlockFrame(bool first, SCmdItem& record);
    void OnUpgradeReply(const SApiResult& reply);
    // From a request to the enable reply, an abort, a failed entry or restart, a close, or the
    // start of another job: the restart, the handshake or the transfer runs.
    bool UpgradeInProgress() const;
    // The largest image the boot loader's area takes: 3743 blocks of 64 bytes.
    static constexpr long long kMaxImageBytes = 239552;

    // ---- Firmware download as a transaction (UI) ----
    // Around the three steps: with the restart step, a backup of the parameters first; after the
    // enable reply, the wait for the new application, its version and parameters read and compared
    // with the backup, and on the operator's word a restore that writes, saves and reads back.
    enum EUpgradePhase { UP_NONE, UP_BACKUP, UP_DOWNLOAD, UP_WAIT_APP, UP_CHECK, UP_RESTORE, UP_VERIFY };
    std::atomic<int> upgradePhase{UP_NONE};
    std::vector<SCmdItem> backupValues; // the page values read before the download
    std::string backupPath;             // where they were written
    // The boot loader took over and no image was enabled since: the module answers only the
    // handshake, and the next download needs no restart step.
    bool bootLoaderLeft = false;
    CTransferTelemetry telemetry;
    long imageBytes = 0; // bytes of the image that will be sent (at most the boot loader's area)

    // ---- Logging (any thread; marshalled to the window thread) ----
    void AppendLog(const std::string& text);
    static void DebugTrace(const char* prefix, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // ---- State (the documented engine fields) ----
    CSerial serial;
    std::atomic<int> linkMode{LM_IDLE};
    std::atomic<int> curType{0};
    std::atomic<int> curWrite{0};
    std::atomic<int> configEntered{0};
    std::atomic<int> okCount{0};
    std::atomic<int> abortEntry{0};
    std::atomic<int> displayPacket{0};
    std::atomic<int> hexShow{0};
    std::atomic<int> rawMode{0}; // the console's raw-mode flag
    CReplyEvent replyEvent;
    SRecvBuffer atBuffer{};
    SRecvBuffer apiBuffer{};
    SRecvBuffer upgradeBuffer{};
    CCmdQueue pendingQueue, sentQueue, failedQueue;
    CResultList atResults, apiResults;
    uint16_t remoteNode = 0;
    // Whose values the latest load fills the pages with: kPagesLocal, or a node address. Set by
    // the local and the remote load before they empty the pages (UI).
    static constexpr int kPagesLocal = -1;
    int pagesNode = kPagesLocal;
    // Firmware upgrade state.
    std::FILE* imageFile = nullptr;
    uint32_t blockAddress = 0;
    uint32_t handshakeCount = 0;
    bool upgradeRunning = false; // see UpgradeInProgress (UI)

    const STimings timings;
    IEngineHost& host;
    CUiDispatcher& ui;

    // Number of timer 4 (upgrade handshake) in the dispatcher.
    static constexpr int kHandshakeTimer = 4;
    // One-shot wait for the new application after the enable reply.
    static constexpr int kAppStartTimer = 6;

    // Test hooks: bytes read by the dispatcher and commands written by the worker are also
    // counted here (cheap, lock-free).
    std::atomic<long> bytesWritten{0};
    std::atomic<long> bytesRead{0};

  private:
    void OnSerialNotify(int message, long lParam) override;
    void CommandWorker();
    void StopWorker();
    // SendCmd whose wait also ends when an abort was counted after abortMark.
    bool SendCmdMarked(const uint8_t* bytes, int count, unsigned abortMark);
    bool WriteEscape();
    // Runs fn on the window thread and waits; dropped when the port closes.
    void SendToUi(const std::function<void()>& fn);
    int SendToUiValue(const std::function<int()>& fn);

    // Batch building blocks.
    bool StartBatch(); // port open? (else the log says so); leaves raw mode
    void QueueText(const char* text, int type, int isWrite);
    void QueueModuleCommand(const char* text, int code);
    void ClearQueues();
    void ShowJobProgress(int textId);
    std::vector<SCmdItem> PageValues();
    // True when a page value must be written: it differs from the first stored value of its
    // code (line ends trimmed, case ignored; the stored value is trimmed in place) or none is stored.
    static bool ValueChanged(CResultList& results, const SCmdItem& value);
    // Remote request frame of a code into out (length set); the frame length or -1.
    int BuildRemoteFrame(uint16_t node, int code, const uint8_t* value, int count, SCmdItem& out);
    void QueueRemoteCommand(uint16_t node, int code);

    // "[Recv COM Data,Size(n)]" and the bytes as text or hex (the handshake is logged the same way).
    void LogReceivedPacket(const uint8_t* bytes, int n);
    void DispatchAt(const uint8_t* chunk, int n);
    void DispatchApi(const uint8_t* chunk, int n);
    void DispatchUpgrade(const uint8_t* chunk, int n);
    void CloseImage();
    // The open image can be downloaded whole: a regular file of 1 to kMaxImageBytes bytes; else
    // the log says why.
    bool CheckImageSize(const std::string& path);

    // Transaction steps (UpgradeTransaction.cpp).
    void BeginBackup();
    bool WriteBackup();
    bool TransferRunning() const; // handshake or transfer running
    void AfterBatch(bool complete);         // a batch has ended (complete: without failures)
    void OnUpgradeBatchDone(bool complete); // ... and its last value has reached its page
    bool OnUpgradeEntryFailed();            // true when the transaction took the failure
    void OnUpgradeAborted();
    void OnImageEnabled();
    void OnTransferBlockDone();
    void FinishCheck();
    void RestoreBackup();
    // Logs the differences from the backup; their number.
    int LogDifferencesFromBackup();
    void EndUpgrade();
    CTransferTelemetry::Clock::time_point progressShownAt{};
    unsigned lineBaud = 0;       // of the open port, for the telemetry
    double lineBitsPerChar = 10; // start, data, parity and stop bits

    // A builder of a job: held while it fills pendingQueue for a new job (see jobLock).
    std::unique_lock<std::recursive_mutex> BeginJobBuild();

    struct SWorkerMsg {
        int message, wParam, lParam;
        unsigned job; // WM_CMD_START: the job the records queued with it belong to
    };
    // Every batch that fills pendingQueue for a new job first takes jobLock and counts jobSerial
    // up; the worker takes each record under the same lock and only while jobSerial is still the
    // job it entered for. So the records of a new job never go out inside the previous job (in its
    // link mode, without the new job's entry), and a start superseded by a newer one is skipped.
    std::recursive_mutex jobLock;
    std::atomic<unsigned> jobSerial{0};
    std::mutex workerLock; // guards workerQueue
    std::condition_variable workerWake;
    std::deque<SWorkerMsg> workerQueue;
    std::thread worker;
    std::atomic<bool> workerDone{true};
    std::atomic<bool> closing{false};
};
