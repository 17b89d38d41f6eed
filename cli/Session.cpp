#include "Session.h"

#include "CliTexts.h"
#include "ConfigFile.h"
#include "Messages.h"
#include "ParamCatalogue.h"
#include "PortArgument.h"
#include "PortNames.h"
#include "Reporter.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>

std::atomic<bool> g_interrupted{false};

std::vector<int> LocalReadCodes() {
    std::vector<int> codes;
    for (int code : LocalLoadOrder())
        if (code >= PT_IPR) codes.push_back(code);
    return codes;
}

std::vector<int> RemoteReadCodes() {
    // A node's parameters from the baud rate to the network key; its network address reaches no
    // value (it is the local module's own address view).
    std::vector<int> codes;
    for (int code = PT_IPR; code <= PT_KEY; ++code)
        if (code != PT_NCD) codes.push_back(code);
    return codes;
}

namespace {
// The engine's own time-outs end every job; this only bounds a wait that nothing would end.
constexpr int kJobLimitMs = 30 * 60 * 1000;
constexpr const char* kRecvTag = "[Recv COM Data,Size(";
} // namespace

CSession::CSession(const SPortOptions& options, CReporter& reporter, STimings timings)
    : options(options), reporter(reporter) {
    ui.BindToCurrentThread();
    timings.replyMs = options.replyMs;
    IEngineHost& host = *this; // private base: converted here, where it is accessible
    engine = std::make_unique<CEngine>(host, ui, timings);
}

CSession::~CSession() {
    Close();
}

bool CSession::Open(std::string& error) {
    const unsigned number = PortNumberOfArgument(options.port, error);
    if (number == 0) return false;
    portName = PortNameOf(number);
    if (!engine->OpenPort(number, options.baudRate, options.dataBits, options.parity, options.stopBits)) {
        error = engine->LastErrorText();
        return false;
    }
    devicePath = engine->DevicePath();
    vanished = false;
    return true;
}

void CSession::Close() {
    if (engine && engine->IsOpen()) engine->ClosePort();
}

// ---------------------------------------------------------------------------------------------
// Host

void CSession::AppendLog(const std::string& text) {
    jobLog.push_back(text);
    reporter.Log(portName, text, flashing && showProgress && IsDownloadStep(text));
}

bool CSession::IsDownloadStep(const std::string& text) {
    // The download's steps speak to the operator as they happen: the backup, a recovery, the
    // handshake answer, the end of the transfer and its totals, the new firmware's version, the
    // differences from the backup and their restore. (The reads' lines and the transfer's figures
    // are progress.)
    static constexpr int kSteps[] = {275, 273, TXT_TRANSFER_TOTALS};
    for (int id : kSteps)
        if (PrintedFromText(text, id)) return true;
    for (int id = TXT_BACKUP_READING; id <= TXT_LEFT_IN_BOOT; ++id)
        if (PrintedFromText(text, id)) return true;
    return false;
}

void CSession::SetProgressText(const std::string& text) {
    // The first line names the job; what follows (a download's figures) goes after the bar.
    const size_t end = text.find('\n');
    progressLabel = text.substr(0, end);
    progressDetail = end == std::string::npos ? std::string() : text.substr(end + 1);
    for (char& c : progressDetail)
        if (c == '\n') c = ' ';
}

void CSession::CollectParamList(std::vector<SCmdItem>& list) {
    if (flashing) {
        for (int code : ExportKeyOrder())
            if (const auto it = values.find(code); it != values.end()) list.push_back(MakeValueRecord(code, it->second));
        return;
    }
    for (const SCmdItem& item : toWrite)
        if (!(item.type == PT_TLK && linkKeyHidden)) list.push_back(item);
}

void CSession::SetParam(int code, const std::string& value) {
    // A node that refuses a read answers with an empty value: no value.
    if (!value.empty()) values[code] = TrimLineEnds(value);
}

void CSession::AddNode(const std::string& address, const std::string& status, const std::string& mac,
                       const std::string& nodeType) {
    nodes.push_back({TrimLineEnds(address), TrimLineEnds(status), TrimLineEnds(mac), TrimLineEnds(nodeType)});
}

void CSession::SetProgressRange(int /*low*/, int high) {
    progressMax = high;
    progressShown = true;
    StepProgress(0);
}

void CSession::StepProgress(int position) {
    if (showProgress) reporter.Progress(progressLabel, position, progressMax, progressDetail);
    if (position >= progressMax) progressShown = false;
}

int CSession::CustomMessageBox(const std::string& text, int style) {
    if (style != MB_STYLE_YESNO) return MB_RESULT_NO;
    if (text != Text(209) && text != Text(210)) {
        // The download's questions. A module left in its boot loader, or silent in its
        // application (it may be in its boot loader), is downloaded to without the restart step:
        // with no boot loader either, the handshake goes unanswered and the download gives up.
        if (text == Text(TXT_RECOVER_PROMPT) || text == Text(TXT_RECOVER_UNREACHED_PROMPT)) return MB_RESULT_YES;
        // The check's only question: restore what differs from the backup?
        if (engine->UpgradePhase() == CEngine::UP_CHECK) {
            flashDiffered = true;
            return options.restore && !g_interrupted ? MB_RESULT_YES : MB_RESULT_NO;
        }
        return MB_RESULT_NO;
    }
    // The retry question after failed reads or writes: answered from --retries.
    if (retriesLeft > 0 && !g_interrupted) {
        --retriesLeft;
        return MB_RESULT_YES;
    }
    return MB_RESULT_NO;
}

void CSession::SetJobRunning(bool running) {
    if (!running) ++jobEnds;
}

// ---------------------------------------------------------------------------------------------
// Waiting

void CSession::BeginJob() {
    jobLog.clear();
    retriesLeft = options.retries;
    progressLabel.clear();
    progressDetail.clear();
}

bool CSession::LoggedInJob(const std::string& text) const {
    return std::find(jobLog.begin(), jobLog.end(), text) != jobLog.end();
}

bool CSession::Pump(const std::function<bool()>& done, int timeoutMs) {
    return ui.PumpUntil([&] { return done() || g_interrupted || vanished; }, timeoutMs) && done();
}

EOutcome CSession::Wait(const SJobMark& mark) {
    Pump([&] { return jobEnds != mark.jobEnds || endSearches != mark.endSearches; }, kJobLimitMs);
    if (showProgress) reporter.EndProgress();
    if (vanished) return OUT_PORT_GONE;
    if (g_interrupted) {
        engine->OnJobAbort();
        return OUT_INTERRUPTED;
    }
    // The entry into the configuration state failed: the engine says so and ends the search view.
    if (jobEnds == mark.jobEnds) return OUT_NO_ANSWER;
    return OUT_OK;
}

void CSession::Idle(int ms) {
    Pump([] { return false; }, ms);
}

// ---------------------------------------------------------------------------------------------
// Local module

EOutcome CSession::Read(std::map<int, std::string>& out) {
    BeginJob();
    const SJobMark mark = Mark();
    engine->LoadParams();
    const EOutcome outcome = Wait(mark);
    out = values;
    if (outcome != OUT_OK) return outcome;
    for (int code : LocalReadCodes())
        if (!values.count(code)) return OUT_FAILED;
    return OUT_OK;
}

std::vector<int> CSession::FailedWrites(const std::vector<SCmdItem>& written) const {
    std::vector<int> failed;
    for (const SCmdItem& item : written)
        if (LoggedInJob(Text(228) + ParamCaption(item.type) + Text(255))) failed.push_back(item.type);
    return failed;
}

EOutcome CSession::Write(const std::vector<SCmdItem>& list, std::vector<int>& failed) {
    BeginJob();
    toWrite = list;
    const SJobMark mark = Mark();
    engine->SaveParams();
    const EOutcome outcome = Wait(mark);
    toWrite.clear();
    failed = FailedWrites(list);
    if (outcome != OUT_OK) return outcome;
    const bool saveFailed = LoggedInJob(Text(FindParam(PT_SAV)->failTextId));
    return failed.empty() && !saveFailed ? OUT_OK : OUT_FAILED;
}

EOutcome CSession::Command(int code) {
    BeginJob();
    const SJobMark mark = Mark();
    if (code == PT_FAC)
        engine->FactoryReset();
    else
        engine->RestartModule();
    const EOutcome outcome = Wait(mark);
    if (outcome != OUT_OK) return outcome;
    return LoggedInJob(Text(FindParam(code)->failTextId)) ? OUT_FAILED : OUT_OK;
}

// ---------------------------------------------------------------------------------------------
// Network and remote modules

EOutcome CSession::Search(std::vector<SNode>& out, int settleMs, int maxMs) {
    BeginJob();
    nodes.clear();
    const SJobMark mark = Mark();
    engine->OnNodeAction(NA_SEARCH, 0);
    EOutcome outcome = Wait(mark);
    if (outcome == OUT_OK) {
        // The first record ends the search command; the others arrive one by one after it.
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            const size_t seen = nodes.size();
            const int left = maxMs - int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count());
            if (left <= 0 || !Pump([&] { return nodes.size() != seen; }, std::min(settleMs, left))) break;
        }
        if (vanished) outcome = OUT_PORT_GONE;
    } else if (outcome == OUT_NO_ANSWER && LoggedInJob(Text(FindParam(PT_NWS)->failTextId))) {
        outcome = OUT_OK; // the module answered, but no node did: an empty network
    }
    out = nodes;
    return outcome;
}

EOutcome CSession::RemoteRead(uint16_t node, std::map<int, std::string>& out) {
    BeginJob();
    const SJobMark mark = Mark();
    engine->OnNodeAction(NA_READ, node);
    const EOutcome outcome = Wait(mark);
    out = values;
    if (outcome != OUT_OK) return outcome;
    for (int code : RemoteReadCodes())
        if (!values.count(code)) return OUT_FAILED;
    return OUT_OK;
}

EOutcome CSession::RemoteWrite(uint16_t node, const std::vector<SCmdItem>& list, std::vector<int>& failed) {
    BeginJob();
    toWrite = list;
    const SJobMark mark = Mark();
    engine->OnNodeAction(NA_WRITE, node);
    const EOutcome outcome = Wait(mark);
    toWrite.clear();
    failed = FailedWrites(list);
    if (outcome != OUT_OK) return outcome;
    return failed.empty() ? OUT_OK : OUT_FAILED;
}

EOutcome CSession::RemoteCommand(uint16_t node, int action) {
    BeginJob();
    const SJobMark mark = Mark();
    engine->OnNodeAction(action, node);
    const EOutcome outcome = Wait(mark);
    if (outcome != OUT_OK) return outcome;
    const int code = action == NA_FACTORY ? PT_FAC : PT_SRS;
    return LoggedInJob(Text(FindParam(code)->failTextId)) ? OUT_FAILED : OUT_OK;
}

// ---------------------------------------------------------------------------------------------
// Firmware and raw commands

EOutcome CSession::Flash(const std::string& image, bool restart, int handshakeMs, SFlashCheck& check) {
    BeginJob();
    progressLabel = Text(271);
    flashing = true;
    flashDiffered = false;
    check = SFlashCheck();
    engine->OnUpgradeRequest(0, image + (restart ? ",1" : ",0"));
    const std::string done = Text(273), started = Text(275);
    const std::string failedBlock = Text(FindParam(PT_UPGRADE_BLOCK)->failTextId);
    const std::string failedEnable = Text(FindParam(PT_UPGRADE_ENABLE)->failTextId);
    // The backup's reads end by themselves; a module silent in its application is then
    // downloaded to without the restart step, so its failed entry does not end the download.
    Pump([&] { return engine->UpgradePhase() != CEngine::UP_BACKUP; }, kJobLimitMs);
    const SJobMark mark = Mark();
    // Without a transaction left (the backup was not written, the restart's entry failed, the
    // transfer broke off) the download is over.
    const auto ended = [&] {
        return LoggedInJob(done) || LoggedInJob(failedBlock) || LoggedInJob(failedEnable) ||
               engine->UpgradePhase() == CEngine::UP_NONE;
    };
    // The restart into the boot loader and the first handshake answer, then the blocks.
    const bool answered = Pump([&] { return LoggedInJob(started) || ended(); }, handshakeMs);
    if (answered) Pump(ended, kJobLimitMs);
    EOutcome outcome = OUT_OK;
    if (vanished)
        outcome = OUT_PORT_GONE;
    else if (g_interrupted)
        outcome = OUT_INTERRUPTED;
    else if (!answered || endSearches != mark.endSearches)
        outcome = OUT_NO_ANSWER;
    else if (!LoggedInJob(done))
        outcome = OUT_FAILED;
    if (showProgress) reporter.EndProgress();
    if (outcome == OUT_OK) {
        // The check of the new firmware (and the restore) ends the transaction; the engine's
        // own waits end it when the module stays silent.
        Pump([&] { return engine->UpgradePhase() == CEngine::UP_NONE; }, kJobLimitMs);
        if (vanished) outcome = OUT_PORT_GONE;
        else if (g_interrupted) outcome = OUT_INTERRUPTED;
        check.appBack = !LoggedInJob(Text(TXT_APP_NOT_BACK)) && engine->UpgradePhase() == CEngine::UP_NONE;
        check.differed = flashDiffered;
        check.restoreVerified = LoggedInJob(Text(TXT_RESTORE_VERIFIED));
        check.backupPath = restart ? engine->BackupPath() : std::string();
    }
    flashing = false;
    // A handshake that nobody answers would go on forever: closing the port stops it.
    if (outcome != OUT_OK) Close();
    return outcome;
}

EOutcome CSession::Send(const SCommandPayload& payload, bool enter, int waitMs, std::string& reply) {
    BeginJob();
    engine->SetAbortEntry();
    engine->SetRawMode(1);
    engine->SetDisplayPacket(true);
    engine->SetHexShow(true);
    std::string received;
    size_t taken = 0;
    const auto collect = [&] {
        for (; taken < jobLog.size(); ++taken) {
            const std::string& line = jobLog[taken];
            if (line.rfind(kRecvTag, 0) != 0) continue;
            const std::string hex = RemoveBlanks(line.substr(line.find(']') + 1));
            std::string bytes(hex.size() / 2 + 1, '\0');
            HexToBytes(hex.c_str(), int(hex.size()), reinterpret_cast<uint8_t*>(bytes.data()));
            received.append(bytes.data(), hex.size() / 2);
        }
        return received;
    };
    EOutcome outcome = OUT_OK;
    if (enter) {
        static const uint8_t kEscape[] = {'+', '+', '+'};
        bool entered = false;
        for (int attempt = 0; attempt < 3 && !entered; ++attempt) {
            if (!engine->SendData(kEscape, 3)) return vanished ? OUT_PORT_GONE : OUT_NO_ANSWER;
            entered = Pump([&] { return collect().find("OK") != std::string::npos; }, engine->Timings().escapeMs);
            if (g_interrupted) return OUT_INTERRUPTED;
        }
        if (!entered) outcome = OUT_NO_ANSWER;
        Pump([] { return false; }, 50); // a second "OK" of the entry is not the command's reply
        collect();
        received.clear();
    }
    if (outcome == OUT_OK) {
        if (!engine->SendData(payload.buffer.data(), payload.count)) return vanished ? OUT_PORT_GONE : OUT_FAILED;
        // The reply: whatever arrives until the line is quiet for waitMs after the last byte.
        for (;;) {
            const size_t before = collect().size();
            if (!Pump([&] { return collect().size() != before; }, waitMs)) break;
        }
        reply = received;
        if (vanished) outcome = OUT_PORT_GONE;
        else if (g_interrupted) outcome = OUT_INTERRUPTED;
        else if (reply.empty()) outcome = OUT_NO_ANSWER;
    }
    engine->SetRawMode(0);
    engine->SetDisplayPacket(false);
    return outcome;
}
