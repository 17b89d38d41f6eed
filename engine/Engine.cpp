#include "Engine.h"

#include "LogFile.h"
#include "ParamCatalogue.h"
#include "PortDoctor.h"
#include "RecvBuffer.h"
#include "TextUtil.h"
#include "Texts.h"

#include <chrono>
#include <cstdarg>
#include <cstring>

CEngine::CEngine(IEngineHost& host, CUiDispatcher& ui, STimings timings)
    : timings(timings), host(host), ui(ui) {
    ResetBuffer(atBuffer);
    ResetBuffer(apiBuffer);
    ResetBuffer(upgradeBuffer);
    serial.SetOwner(this);
}

CEngine::~CEngine() {
    ClosePort();
    CloseImage();
}

// ---------------------------------------------------------------------------------------------
// Port

bool CEngine::OpenPort(unsigned portNumber, unsigned baudRate, int dataBits, int parity, int stopBits) {
    if (serial.IsOpen()) ClosePort();
    closing = false;
    if (!serial.Open(portNumber, baudRate, dataBits, parity, stopBits)) {
        serial.Close();
        return false;
    }
    linkMode = LM_IDLE;
    lineBaud = baudRate;
    lineBitsPerChar = BitsPerChar(dataBits, parity, stopBits);
    ResetBuffer(atBuffer);
    ResetBuffer(apiBuffer);
    ResetBuffer(upgradeBuffer);
    // What the module still had to say before the port opened is unknown.
    lineUnsettled = true;
    answersOwed = 0;
    lastRxNs = std::chrono::steady_clock::now().time_since_epoch().count();
    {
        std::lock_guard<std::mutex> g(workerLock);
        workerQueue.clear();
    }
    workerDone = false;
    worker = std::thread([this] { CommandWorker(); });
    return true;
}

void CEngine::StopWorker() {
    if (!worker.joinable()) return;
    abortEntry = 1;
    pendingQueue.Clear();
    replyEvent.Abort();
    PostWorker(WM_QUIT_WORKER);
    // The worker may be waiting for the window thread (a result it sends, a status line): keep
    // running window work while it finishes, so the close never waits on itself.
    while (!workerDone.load()) {
        if (ui.IsUiThread())
            ui.PumpFor(2);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
}

void CEngine::ClosePort() {
    // Work the worker or the port's event thread queued for the window from now on is dropped
    // (see SendToUi and OnSerialNotify); senders waiting for it are released.
    closing = true;
    ui.CancelWaiters();
    const bool hadWorker = worker.joinable();
    StopWorker();
    ui.StopTimer(kHandshakeTimer);
    upgradeRunning = false;
    if (hadWorker) {
        curType = 0;
        curWrite = 0;
        linkMode = LM_IDLE;
        sentQueue.Clear();
        failedQueue.Clear();
        host.EndSearch();
        host.StopAutoSearch();
    }
    serial.Close();
    if (ui.IsUiThread()) ui.RunPending(); // flush what the event thread queued before it ended
    CloseImage();
}

void CEngine::PortVanished() {
    if (!serial.IsOpen()) return;
    const std::string device = serial.DevicePath();
    if (host.IsProgressShown()) host.StepProgress(host.GetProgressMax());
    ClosePort();
    host.SetJobRunning(false);
    host.AppendLog(FormatText(TXT_PORT_VANISHED, {device}));
    host.PortClosed();
}

void CEngine::OnSerialNotify(int message, long /*lParam*/) {
    switch (message) {
    case WM_COMM_RXCHAR:
        // Delivered synchronously, as the dispatcher reads what the port holds; abandoned on close.
        ui.Send(
            [this] {
                if (!closing) OnCommRxChar();
            },
            &closing);
        break;
    case WM_COMM_GONE:
        ui.Post([this] {
            if (!closing) PortVanished();
        });
        break;
    default:
        break; // modem lines and line errors: not used by the engine
    }
}

void CEngine::SendToUi(const std::function<void()>& fn) {
    ui.Send(
        [this, fn] {
            if (!closing) fn();
        },
        &closing);
}

// ---------------------------------------------------------------------------------------------
// Worker

void CEngine::PostWorker(int message, int wParam, int lParam) {
    {
        std::lock_guard<std::mutex> g(workerLock);
        workerQueue.push_back({message, wParam, lParam, jobSerial.load()});
    }
    workerWake.notify_all();
}

std::unique_lock<std::recursive_mutex> CEngine::BeginJobBuild() {
    std::unique_lock<std::recursive_mutex> g(jobLock);
    ++jobSerial;
    return g;
}

void CEngine::CommandWorker() {
    bool active = false, firstOfJob = false;
    unsigned job = 0;
    for (;;) {
        SWorkerMsg msg{};
        bool have = false;
        {
            std::lock_guard<std::mutex> g(workerLock);
            if (!workerQueue.empty()) {
                msg = workerQueue.front();
                workerQueue.pop_front();
                have = true;
            }
        }
        if (have) {
            if (msg.message == WM_QUIT_WORKER) break;
            // A start that a newer job superseded has nothing of its own to send: skipped.
            if (msg.message == WM_CMD_START && msg.job == jobSerial.load()) {
                job = msg.job;
                firstOfJob = true;
                if (IntoAtMode(msg.wParam, msg.lParam))
                    active = true;
                else
                    ui.Post([this] {
                        if (!closing) OnEnterFailed(1);
                    });
            }
        }
        while (active) {
            SCmdItem record;
            {
                std::lock_guard<std::recursive_mutex> g(jobLock);
                // One step: an abort's Clear on the window thread never leaves a zero record.
                if (jobSerial.load() != job || !pendingQueue.TakeFront(record)) break;
                sentQueue.Push(record);
            }
            // A bare "OK" can be told from an earlier escape's repeated one only by time: before
            // the first such command of a job, and whenever an answer may still be due, the
            // line must have been quiet for the guard time.
            if (linkMode == LM_AT && (lineUnsettled || (firstOfJob && AnsweredByBareOk(record)))) {
                WaitQuietLine(timings.escapeGuardMs, replyEvent.AbortCount());
                lineUnsettled = false;
            }
            firstOfJob = false;
            // Text buffered so far, read with no command in flight, answers nothing.
            ++commandSerial;
            // The current command and the reset of the reply event under the event's lock: the
            // dispatcher's "no command in flight" check cannot complete this command.
            const unsigned mark = replyEvent.BeginCommand(record.type, record.isWrite, curType, curWrite);
            if (displayPacket) {
                const int n = std::min<int>(record.length, sizeof record.data);
                AppendLog("Send:" + (hexShow ? BytesToHex(record.data, n, false) : record.Text()));
            }
            if (SendCmdMarked(record.data, record.length, mark)) continue;
            if (configEntered == 1) {
                const int type = record.type;
                SendToUi([this, type] { OnCmdResult(0, type); });
                // Its answer may still come: let it arrive (the dispatcher drops it, nothing is
                // in flight) before the next command could take it for its own.
                if (linkMode == LM_AT) WaitQuietLine(timings.lateGuardMs, replyEvent.AbortCount(), true);
                continue;
            }
            if (SendCmdMarked(record.data, record.length, replyEvent.AbortCount())) continue;
            SendToUi([this, record] { ReportStatus(record, 0); });
            if (linkMode == LM_UPGRADE) SendToUi([this] { OnJobAbort(); });
        }
        active = false;
        std::unique_lock<std::mutex> g(workerLock);
        workerWake.wait_for(g, std::chrono::milliseconds(timings.workerIdleMs),
                            [this] { return !workerQueue.empty(); });
    }
    workerDone = true;
}

bool CEngine::SendCmd(const uint8_t* bytes, int count) {
    return SendCmdMarked(bytes, count, replyEvent.AbortCount());
}

bool CEngine::SendCmdMarked(const uint8_t* bytes, int count, unsigned abortMark) {
    if (!serial.IsOpen()) {
        DebugTrace("[ERROR]", "%s", "[CCalyraDlg::SendCmd]COM is not open");
        AppendLog(Text(215));
        return false;
    }
    serial.Purge(PURGE_TXCLEAR | PURGE_RXCLEAR);
    replyEvent.Reset();
    const int written = serial.PurgeAndWrite(bytes, count);
    if (written < count) return false;
    return replyEvent.Wait(timings.replyMs, abortMark);
}

bool CEngine::SendData(const uint8_t* bytes, int count) {
    if (!serial.IsOpen()) {
        DebugTrace("[ERROR]", "%s", "[CCalyraDlg::SendData]Comm Port is not open");
        AppendLog(Text(215));
        return false;
    }
    serial.Purge(PURGE_TXCLEAR | PURGE_RXCLEAR);
    replyEvent.Reset();
    const int written = serial.PurgeAndWrite(bytes, count);
    return written == count;
}

bool CEngine::WriteEscape() {
    static const uint8_t kEscape[] = {'+', '+', '+'};
    ++answersOwed; // before the write: its "OK" may come at once
    const bool ok = serial.PurgeAndWrite(kEscape, 3) == 3;
    if (displayPacket) AppendLog("+++");
    return ok;
}

bool CEngine::IntoAtMode(int mode, int noPrompt) {
    if (!serial.IsOpen()) {
        DebugTrace("[ERROR]", "%s", "[CCalyraDlg::IntoAtMode]COM is not open");
        AppendLog(Text(215));
        return false;
    }
    if (mode == LM_UPGRADE) {
        configEntered = 0;
        linkMode = LM_UPGRADE;
        return true;
    }
    configEntered = 1;
    int attempts = 0;
    linkMode = LM_ENTERING;
    okCount = 0;
    curType = 0;
    serial.Purge(PURGE_TXCLEAR | PURGE_RXCLEAR);
    abortEntry = 0;
    const unsigned mark = replyEvent.AbortCount();
    // An "OK" still due to an earlier command or escape must not answer this escape: the line
    // stays quiet for the guard time first (what arrives meanwhile answers nothing and is dropped).
    if (answersOwed.exchange(0) > 0) lineUnsettled = true;
    if (lineUnsettled) {
        // After an abort the answer of the command in flight may still take its reply time;
        // otherwise only answers of the moment are due.
        const bool aborted = afterAbort.exchange(false);
        if (!WaitQuietLine(aborted ? timings.lateGuardMs : timings.escapeGuardMs, mark, aborted)) return false;
        lineUnsettled = false;
    }
    if (abortEntry != 0 || closing) return false;
    while (okCount < 2) {
        if (attempts < 3) {
            replyEvent.Reset();
            WriteEscape();
            replyEvent.Wait(timings.escapeMs, mark);
        } else {
            if (attempts == 3) {
                if (noPrompt != 0) return false;
                if (SendToUiValue([this] { return host.ConfigModeIndex(); }) != 0) return false;
                AppendLog(Text(222));
                AppendLog(EntryFailureAdvice(serial.DevicePath(), serial.BaudRate()));
            }
            WriteEscape();
            // A plain pause: an "OK" does not end it early, an abort or a close does.
            replyEvent.WaitForAbort(timings.escapeMs, mark);
        }
        ++attempts;
        // closing as well: a close that came before this job cleared abortEntry must still end it.
        if (abortEntry != 0 || closing) return false;
    }
    if (mode == LM_IDLE || mode == LM_AT) {
        // escape sequence only
    } else if (mode == LM_API || mode == LM_UPGRADE_ENTER) {
        static const uint8_t kApi[] = {'A', 'T', '+', 'A', 'P', 'I', '\r', '\n'};
        if (closing) return false;
        replyEvent.Reset();
        ++answersOwed;
        serial.PurgeAndWrite(kApi, sizeof kApi);
        if (displayPacket) AppendLog("AT+API\r\n");
        if (!replyEvent.Wait(timings.replyMs, mark) || abortEntry != 0) return false;
    } else {
        return false;
    }
    // An escape's "OK" still due would answer the first command: it waits for a quiet line.
    if (answersOwed.exchange(0) > 0) lineUnsettled = true;
    linkMode = mode;
    return true;
}

bool CEngine::AnsweredByBareOk(const SCmdItem& record) {
    return record.isWrite != 0 || record.type == PT_FAC || record.type == PT_SRS;
}

bool CEngine::WaitQuietLine(int ms, unsigned abortMark, bool fromNow) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const auto giveUp = start + milliseconds(4 * ms);
    for (;;) {
        const auto now = steady_clock::now();
        auto quietSince = steady_clock::time_point(steady_clock::duration(lastRxNs.load()));
        if (fromNow) quietSince = std::max(quietSince, start);
        const auto quietFor = now - quietSince;
        const auto left = milliseconds(ms) - quietFor;
        if (left <= steady_clock::duration::zero() || now >= giveUp) return true;
        const auto wait = ceil<milliseconds>(std::min<steady_clock::duration>(left, giveUp - now));
        if (replyEvent.WaitForAbort(static_cast<int>(wait.count()), abortMark) || closing) return false;
    }
}

int CEngine::SendToUiValue(const std::function<int()>& fn) {
    int value = 0;
    SendToUi([&value, &fn] { value = fn(); });
    return value;
}

// ---------------------------------------------------------------------------------------------
// Job messages

void CEngine::OnJobAbort() {
    upgradeRunning = false;
    OnUpgradeAborted();
    host.StepProgress(host.GetProgressMax());
    pendingQueue.Clear();
    abortEntry = 1;
    lineUnsettled = true; // the answer of the command in flight may still come
    afterAbort = true;
    linkMode = LM_UPGRADE;
    ui.StopTimer(kHandshakeTimer);
    replyEvent.Abort();
    host.SetJobRunning(false);
}

void CEngine::OnEnterFailed(int wParam) {
    if (wParam != 1) return;
    upgradeRunning = false;
    host.AppendLog(Text(267));
    host.AppendLog(EntryFailureAdvice(serial.DevicePath(), serial.BaudRate()));
    host.EndSearch();
    OnUpgradeEntryFailed();
}

// ---------------------------------------------------------------------------------------------
// Logging

void CEngine::AppendLog(const std::string& text) {
    if (ui.IsUiThread())
        host.AppendLog(text);
    else
        ui.Post([this, text] { host.AppendLog(text); });
}

void CEngine::DebugTrace(const char* prefix, const char* fmt, ...) {
    char line[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    std::fprintf(stderr, "%s%s\n", prefix, line);
    AppendToProcessLog("[" + FormatTimeStamp() + "]\n" + prefix + line + "\n");
}
