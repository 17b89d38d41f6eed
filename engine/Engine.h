#pragma once

#include "CmdQueue.h"
#include "CmdResult.h"
#include "EngineHost.h"
#include "Messages.h"
#include "PendingWrites.h"
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
// A front end (the window, a command line) owns one per port and drives it through the public
// operations below; the engine answers through IEngineHost (log lines, pages, progress, prompts)
// and runs window work through CUiDispatcher. engine/README.md draws the threads and who owns
// which state and lock. Operations marked (UI) run on the window thread.
class CEngine : private ISerialOwner {
  public:
    CEngine(IEngineHost& host, CUiDispatcher& ui, STimings timings = STimings());
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // ---- Port (UI) ----
    // Opens the port and starts the worker. On failure the port is closed again and
    // LastErrorText() says why.
    bool OpenPort(unsigned portNumber, unsigned baudRate, int dataBits, int parity, int stopBits);
    // Stops the worker in the documented order, then closes the port. Never hangs on a worker
    // waiting for the window thread: window work keeps running while it joins.
    void ClosePort();
    bool IsOpen() const { return serial.IsOpen(); }
    // The open port vanished (hang-up or removed alias): abort the job, close, log, tell the host.
    void PortVanished();
    // Why the last OpenPort failed, as an operator can act on it.
    const std::string& LastErrorText() const { return serial.LastErrorText(); }
    // The Linux device behind the open (or last tried) port.
    const std::string& DevicePath() const { return serial.DevicePath(); }
    // What the port did for low latency at the last open ("" when the driver offers nothing).
    const std::string& LowLatencyNote() const { return serial.LowLatencyNote(); }

    // ---- Batches of the local module (UI) ----
    // noPrompt 1: the entry gives up after three attempts whatever the Config Mode says.
    void LoadParams(int noPrompt = 0);
    // True when a job was started (something differed from the values read).
    bool SaveParams();
    void RestartModule();
    void FactoryReset();
    // WM_JOB_ABORT: the progress dialog's Abort.
    void OnJobAbort();

    // ---- Remote device page and network page (UI) ----
    // WM_NODE_ACTION: search, read, write, restart, factory of a node; import, export.
    int OnNodeAction(int action, long value);
    // WM_PAGE_ACTION: the node type chosen on the network page.
    int OnPageAction(int nodeTypeIndex);
    // A value for the pages and views as if read from the module (import of a parameter set).
    void ApplyResult(const SCmdResult& result);

    // ---- Console page and firmware upgrade (UI) ----
    // Raw write without a reply wait; false when not all bytes went out (the log says why).
    bool SendData(const uint8_t* bytes, int count);
    // An entry into the configuration state still looping for an earlier job gives up.
    void SetAbortEntry() { abortEntry = 1; }
    // The console's raw mode: received bytes are only logged.
    int RawMode() const { return rawMode.load(); }
    void SetRawMode(int value) { rawMode = value; }
    // WM_UPGRADE_REQUEST; text: image path, comma, restart flag (the text after the last comma,
    // so that a comma in the path stays part of it). Refused while an upgrade runs, and for an
    // image that cannot go whole (empty, or over kMaxImageBytes).
    void OnUpgradeRequest(int wParam, const std::string& text);
    // From a request to the enable reply, an abort, a failed entry or restart, a close, or the
    // start of another job: the restart, the handshake or the transfer runs.
    bool UpgradeInProgress() const;
    // The largest image the boot loader's area takes: 3743 blocks of 64 bytes.
    static constexpr long long kMaxImageBytes = 239552;

    // ---- What the module last answered (UI; read-only) ----
    // The values the last reads stored, which the next write compares with: the local module's
    // (the local load and save; SaveParams writes what differs from them), or with remote the
    // node's (the remote read; its remote write compares with them). The window marks the page
    // values that differ from them and lists what a save would send. Valid until the next
    // reply or load changes them; read on the window thread only.
    const CResultList& LastReadValues(bool remote) const { return remote ? apiResults : atResults; }
    // Whose values the latest load fills the pages with: kPagesLocal after a local load, or the
    // node address of a remote read. Set by the loads before they empty the pages.
    static constexpr int kPagesLocal = -1;
    int PagesNode() const { return pagesNode; }
    // Where the download transaction is (any thread): UP_NONE when none runs.
    enum EUpgradePhase { UP_NONE, UP_BACKUP, UP_DOWNLOAD, UP_WAIT_APP, UP_CHECK, UP_RESTORE, UP_VERIFY };
    EUpgradePhase UpgradePhase() const { return static_cast<EUpgradePhase>(upgradePhase.load()); }
    // The figures of the running or latest transfer.
    const CTransferTelemetry& Telemetry() const { return telemetry; }
    // The parameter set file of the latest backup before a download ("" when none was written).
    const std::string& BackupPath() const { return backupPath; }

    // ---- Packet display switches of the log pane (any thread) ----
    bool DisplayPacket() const { return displayPacket.load() != 0; }
    void SetDisplayPacket(bool on) { displayPacket = on ? 1 : 0; }
    bool HexShow() const { return hexShow.load() != 0; }
    void SetHexShow(bool on) { hexShow = on ? 1 : 0; }

    // The engine's timers in the front end's CUiDispatcher: timer 4, the upgrade handshake, and
    // timer 6, the one-shot wait for the new application after the enable reply.
    static constexpr int kHandshakeTimer = 4;
    static constexpr int kAppStartTimer = 6;

    // The waits this engine was given.
    const STimings& Timings() const { return timings; }

    // Developer trace to stderr.
    static void DebugTrace(const char* prefix, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  private:
    friend class CEngineTestAccess; // tests/support/EngineTestAccess.h, for tests only

    // ---- Port and its event thread (Engine.cpp) ----
    void OnSerialNotify(int message, long lParam) override;
    // Runs fn on the window thread and waits; dropped when the port closes.
    void SendToUi(const std::function<void()>& fn);
    int SendToUiValue(const std::function<int()>& fn);

    // ---- Worker and configuration-state entry (Engine.cpp; worker thread) ----
    void PostWorker(int message, int wParam = 0, int lParam = 0);
    void CommandWorker();
    void StopWorker();
    bool IntoAtMode(int mode, int noPrompt);
    bool SendCmd(const uint8_t* bytes, int count);
    // SendCmd whose wait also ends when an abort was counted after abortMark.
    bool SendCmdMarked(const uint8_t* bytes, int count, unsigned abortMark);
    bool WriteEscape();
    // Waits until nothing was received for ms (at most four times ms while bytes keep coming),
    // counted from the last byte received, or with fromNow from now at the earliest; false when
    // an abort since abortMark or a close ended the wait.
    bool WaitQuietLine(int ms, unsigned abortMark, bool fromNow = false);
    // A bare "OK" answers the record: a write, "AT+SAV", "AT+FAC", "AT+SRS".
    static bool AnsweredByBareOk(const SCmdItem& record);
    void OnEnterFailed(int wParam); // WM_ENTER_FAILED (UI)
    // A builder of a job: held while it fills pendingQueue for a new job (see jobLock).
    std::unique_lock<std::recursive_mutex> BeginJobBuild();

    // ---- Receive dispatcher (Dispatcher.cpp; UI) ----
    int OnCommRxChar(); // WM_COMM_RXCHAR
    // What OnCommRxChar does with the bytes it read (at most 4096): log, buffer, recognise and
    // hand on. Tests and the fuzz target feed chunks here directly.
    int DispatchChunk(const uint8_t* chunk, int n);
    void DispatchAt(const uint8_t* chunk, int n);
    void DispatchApi(const uint8_t* chunk, int n);
    void DispatchUpgrade(const uint8_t* chunk, int n);
    // Completes the worker's wait after a reply's result handler ran: only the wait that was in
    // flight when the chunk arrived (see CReplyEvent::Generation).
    void AnswerWait() { replyEvent.SetIfCurrent(rxGeneration); }
    // "[Recv COM Data,Size(n)]" and the bytes as text or hex (the handshake is logged the same way).
    void LogReceivedPacket(const uint8_t* bytes, int n);

    // ---- Batches and the result handler (Batches.cpp; UI) ----
    int OnCmdResult(int result, int code); // WM_CMD_RESULT
    bool StartBatch(); // port open? (else the log says so); leaves raw mode
    void QueueText(const char* text, int type, int isWrite);
    void QueueModuleCommand(const char* text, int code);
    void ClearQueues();
    void ShowJobProgress(int textId);
    std::vector<SCmdItem> PageValues();
    std::string GetPageValue(int code);
    // Logs each page value that holds a line break or a NUL (it is never written), with the
    // parameter's caption; true when there was one.
    bool LogUnwritable(const std::vector<SCmdItem>& values);
    // The page values a save writes against the stored results (PendingWrites), after the
    // unwritable ones are logged; the stored values compared are trimmed in place.
    std::vector<SPendingWrite> WritesAgainst(CResultList& results, const std::vector<SCmdItem>& values);
    void RememberWrittenValue(const SCmdItem& record);
    void UpdateRemoteNodeAddress(const SCmdItem& record);
    void QueueSaveForRetry();

    // ---- Replies to pages (ApplyReplies.cpp; UI, ReportStatus also on the worker) ----
    int ReportStatus(const SCmdItem& record, int result);

    // ---- Remote requests (RemoteRequests.cpp; UI) ----
    void BuildRemoteRead(uint16_t node);
    void BuildRemoteWrite(uint16_t node);
    void BuildRemoteRestart(uint16_t node);
    void BuildRemoteFactory(uint16_t node);
    int MakeRemoteWriteFrame(uint16_t node, const SCmdItem& value, SCmdItem& out);
    // Remote request frame of a code into out (length set); the frame length or -1.
    int BuildRemoteFrame(uint16_t node, int code, const uint8_t* value, int count, SCmdItem& out);
    void QueueRemoteCommand(uint16_t node, int code);
    // A remote reply frame answers the command in flight: its parameter and node are the ones
    // asked for.
    bool AnswersRemoteCommand(const uint8_t* frame, int length, int type);
    // "0x3BFE PID": node and mnemonic of a reply frame, for the log.
    static std::string DescribeRemoteReply(const uint8_t* frame, int length);

    // ---- Firmware upgrade (Upgrade.cpp; UI) ----
    void OnUpgradeStep(int step); // WM_UPGRADE_STEP
    void OnHandshakeTimer();      // timer 4
    int BuildBlockFrame(bool first, SCmdItem& record);
    void OnUpgradeReply(const SApiResult& reply);
    void CloseImage();
    // The open image can be downloaded whole: a regular file of 1 to kMaxImageBytes bytes; else
    // the log says why.
    bool CheckImageSize(const std::string& path);

    // ---- Firmware download as a transaction (UpgradeTransaction.cpp; UI) ----
    // Around the three steps: with the restart step, a backup of the parameters first; after the
    // enable reply, the wait for the new application, its version and parameters read and compared
    // with the backup, and on the operator's word a restore that writes, saves and reads back.
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
    // The backup's values that a write can give back.
    std::vector<SCmdItem> RestorableBackup() const;
    // Logs the differences of those from the page values; their number.
    int LogDifferencesFromBackup();
    void EndUpgrade();

    // ---- Logging (any thread; marshalled to the window thread) ----
    void AppendLog(const std::string& text);

    // ---- State ----
    // Set at construction, constant after.
    const STimings timings;
    IEngineHost& host;
    CUiDispatcher& ui;
    // The port: opened and closed on the window thread; written by the worker and the window
    // (its writers are serialised inside CSerial).
    CSerial serial;

    // The documented engine words, shared by the window thread and the worker without a lock:
    // each is one aligned word and no decision needs two of them read together. curType and
    // curWrite are set by the worker inside replyEvent.BeginCommand, under the event's lock.
    std::atomic<int> linkMode{LM_IDLE};
    std::atomic<int> curType{0};
    std::atomic<int> curWrite{0};
    std::atomic<int> configEntered{0};
    std::atomic<int> okCount{0};
    std::atomic<int> abortEntry{0};
    std::atomic<int> displayPacket{0};
    std::atomic<int> hexShow{0};
    std::atomic<int> rawMode{0}; // the console's raw-mode flag

    // Who an answer may belong to. commandSerial counts the commands the worker wrote (the AT
    // text buffered for an earlier one is dropped); answersOwed counts "+++" and "AT+API" written
    // and not yet answered with "OK" (an "OK" beyond them answers nothing); lineUnsettled says an
    // answer may still be due to something earlier (an abort, a time-out, a new port), so the
    // next escape waits for a quiet line first; lastRxNs is when the dispatcher last read bytes.
    // Atomic words like the ones above.
    std::atomic<unsigned> commandSerial{0};
    std::atomic<int> answersOwed{0};
    std::atomic<bool> lineUnsettled{true};
    std::atomic<bool> afterAbort{false}; // the next escape waits the late guard, not the escape guard
    std::atomic<long long> lastRxNs{0};

    // The single-command hand-over between the worker (reset, wait) and the dispatcher (set).
    CReplyEvent replyEvent;
    // Queues: each locks itself (never two at once); the worker's take and a builder's fill
    // of a new job are kept apart by jobLock.
    CCmdQueue pendingQueue, sentQueue, failedQueue;

    // Window thread only (dispatcher, builders, result handler): no lock.
    SRecvBuffer atBuffer{};
    SRecvBuffer apiBuffer{};
    SRecvBuffer upgradeBuffer{};
    CResultList atResults, apiResults;
    unsigned atBufferCommand = 0; // commandSerial when atBuffer's text began
    unsigned rxGeneration = 0;    // replyEvent's generation when the chunk being dispatched arrived
    // Empties atBuffer. A partial line at its end (other than the "OK" or "ERROR" that ended a
    // reply) goes with the rest of that line still to come: its tail ("K" of an "OK" cut in two)
    // must never read as text of a reply of its own.
    void DiscardAtText();
    void AppendAtText(const uint8_t* chunk, int n);
    bool skipAtLine = false;
    uint16_t remoteNode = 0;
    // Whose values the latest load fills the pages with: kPagesLocal, or a node address. Set by
    // the local and the remote load before they empty the pages.
    int pagesNode = kPagesLocal;
    // Firmware upgrade state (window thread only).
    std::FILE* imageFile = nullptr;
    uint32_t blockAddress = 0;
    uint32_t handshakeCount = 0;
    bool upgradeRunning = false; // see UpgradeInProgress

    // The download transaction (UpgradeTransaction.cpp; window thread only, upgradePhase is read
    // from any thread).
    std::atomic<int> upgradePhase{UP_NONE};
    std::vector<SCmdItem> backupValues; // the page values read before the download
    std::string backupPath;             // where they were written
    // The boot loader took over and no image was enabled since: the module answers only the
    // handshake, and the next download needs no restart step.
    bool bootLoaderLeft = false;
    CTransferTelemetry telemetry;
    long imageBytes = 0; // bytes of the image that will be sent (at most the boot loader's area)
    CTransferTelemetry::Clock::time_point progressShownAt{};
    unsigned lineBaud = 0;       // of the open port, for the telemetry
    double lineBitsPerChar = 10; // start, data, parity and stop bits

    // The worker thread and its message queue.
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
    std::thread worker;                  // started by OpenPort, joined by ClosePort
    std::atomic<bool> workerDone{true};  // set by the worker as it ends
    std::atomic<bool> closing{false};    // ClosePort began: window work queued from now is dropped
};
