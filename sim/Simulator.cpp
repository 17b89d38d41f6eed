#include "Simulator.h"

#include "AtCommands.h"
#include "ParamCatalogue.h"
#include "TextUtil.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace std::chrono;
using Clock = COutputQueue::Clock;

namespace {
constexpr const char* kSoftVersion = "V1.6 R7730 2021-06-18";
constexpr const char* kSoftRelease = "V1.6 R7730"; // of a downloaded image, before its digest
constexpr const char* kBootVersion = "BL V1.2 2020-03-15";
constexpr const char kEscape[] = "+++";
// The boot loader's handshake, recognised outside API mode too: the module may have been
// powered up straight into its boot loader.
const std::string kHandshake = {'\xFE', '\x01', '\x4D', '\x04', '\x02', '\x4A'};
constexpr size_t kMaxLine = 256;            // longer command lines are refused with "ERROR"
constexpr milliseconds kFrameBreakOff{200}; // a frame still incomplete after this pause is dropped
constexpr uint8_t kRestartIntoBootLoader = 0x02;

// Keeps the last bytes of text that may start a pattern of the given length.
void KeepTail(std::string& text, size_t patternLength) {
    if (text.size() >= patternLength) text.erase(0, text.size() - (patternLength - 1));
}
} // namespace

bool CSimulator::Start(const SSimOptions& o, std::string* error) {
    if (worker.joinable()) {
        if (error) *error = "the simulator is already running";
        return false;
    }
    std::lock_guard g(lock);
    options = o;
    network = std::make_unique<CSimNetwork>(o.nodes < 0 ? 0 : o.nodes, o.seed);
    network->Local().SetLasting(PT_SOFT_VERSION, kSoftVersion);
    network->Local().SetLasting(PT_BOOT_VERSION, kBootVersion);
    output = std::make_unique<COutputQueue>(o.seed);
    output->SetLatency(o.latencyMs);
    output->SetLineRate(o.lineRateBaud);
    ApplyFaults(o.faults);
    boot = CBootLoader();
    cutter.Clear();
    state = ST_TRANSPARENT;
    escapeMode = ESC_TWO_CHUNKS;
    tail.clear();
    line.clear();
    lineOverflow = false;
    failingReads.clear();
    keptValues.clear();
    mutedPrefixes.clear();
    received.clear();
    saveCount = 0;
    bytesReceived = 0;
    stopRequested = hangUpRequested = hungUp = false;
    aliasPath.clear();

    if (!pty.Open(error)) return false;
    slavePath = pty.SlavePath();
    if (!o.portsDir.empty() && o.aliasNumber > 0 &&
        !CreatePortAlias(o.portsDir, o.aliasNumber, slavePath, &aliasPath, error)) {
        pty.Close();
        return false;
    }
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        if (error) *error = "eventfd failed";
        RemovePortAlias(aliasPath, slavePath);
        pty.Close();
        return false;
    }
    worker = std::thread(&CSimulator::Run, this);
    return true;
}

CSimulator::CSimulator()
    : network(std::make_unique<CSimNetwork>(SSimOptions{}.nodes, SSimOptions{}.seed)),
      output(std::make_unique<COutputQueue>(SSimOptions{}.seed)) {}

void CSimulator::Stop() {
    if (!worker.joinable()) return;
    Locked([this] { stopRequested = true; });
    worker.join();
    std::lock_guard g(lock);
    pty.Close();
    RemovePortAlias(aliasPath, slavePath);
    close(wakeFd);
    wakeFd = -1;
}

void CSimulator::Wake() {
    if (wakeFd < 0) return;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t r = write(wakeFd, &one, sizeof one);
}

void CSimulator::Run() {
    // The line's pacing waits are a few byte times long: the kernel's default slack of 50 us on
    // each wake-up would stretch every block exchange of a download by a tenth of a millisecond.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::unique_lock g(lock);
    while (!stopRequested) {
        if (hangUpRequested && !hungUp) {
            pty.Close();
            output->Clear();
            RemovePortAlias(aliasPath, slavePath);
            hungUp = true;
            hungUpChanged.notify_all();
        }
        int master = hungUp ? -1 : pty.Master();
        Clock::time_point now = Clock::now();
        if (master >= 0) output->WriteDue(master, now);
        // ppoll: a wait to the microsecond, as the line-rate pacing needs (a byte at 115200 baud
        // takes 87 us; poll's milliseconds would stretch every reply).
        timespec timeout{};
        const timespec* timeoutPtr = nullptr;
        std::optional<Clock::time_point> next = output->NextDue();
        if (master >= 0 && next && !output->WaitingForRoom()) {
            const long long ns = std::max<long long>(0, duration_cast<nanoseconds>(*next - now).count());
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        pollfd fds[2] = {{wakeFd, POLLIN, 0},
                         {master, static_cast<short>(POLLIN | (output->WaitingForRoom() ? POLLOUT : 0)), 0}};
        g.unlock();
        int r = ppoll(fds, master >= 0 ? 2 : 1, timeoutPtr, nullptr);
        g.lock();
        if (r <= 0) continue;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t n = read(wakeFd, &count, sizeof count);
        }
        if (master >= 0 && (fds[1].revents & POLLIN)) {
            uint8_t buf[4096];
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0 && output->LineRate() > 0) {
                // The bytes reach the module at the line rate too (10 bits a byte): what they
                // cause goes out only once the last of them would have arrived. (One timed
                // wake-up per exchange, the reply's, instead of a sleep here as well.)
                const auto lineTime = std::chrono::nanoseconds(n * 10'000'000'000LL / output->LineRate());
                inLineFreeAt = std::max(Clock::now(), inLineFreeAt) + lineTime;
            }
            if (n > 0) {
                bytesReceived += n;
                Dispatch(buf, static_cast<size_t>(n));
            }
        }
    }
}

// ---- protocol (lock held) ----

void CSimulator::Dispatch(const uint8_t* bytes, size_t n) {
    while (n > 0) {
        size_t used = 0;
        switch (state) {
        case ST_TRANSPARENT:
            used = OnTransparent(bytes, n);
            break;
        case ST_CONFIG:
            used = OnConfig(bytes, n);
            break;
        case ST_API:
        case ST_BOOT:
            used = OnFrames(bytes, n);
            break;
        }
        bytes += used;
        n -= used;
    }
}

size_t CSimulator::OnTransparent(const uint8_t* bytes, size_t n) {
    // Transparent data would go over the air; the simulator has no peer for it and drops it,
    // watching only for the escape sequence and the boot loader handshake.
    size_t fromTail = tail.size();
    std::string seen = tail + std::string(reinterpret_cast<const char*>(bytes), n);
    size_t esc = escapeMode == ESC_SILENT ? std::string::npos : seen.find(kEscape);
    size_t hs = seen.find(kHandshake);
    size_t first = std::min(esc, hs);
    if (first == std::string::npos) {
        tail = seen;
        KeepTail(tail, kHandshake.size());
        return n;
    }
    size_t end = first + (first == esc ? 3 : kHandshake.size());
    tail.clear();
    if (first == esc) {
        Log(kEscape);
        OnEscape(true);
    } else {
        Log("BOOT handshake");
        EnterBootLoader();
        ReplyFrame(SC_HANDSHAKE_REPLY, {BS_OK});
    }
    // The state has changed, so a return of 0 (pattern inside the kept tail) still progresses.
    return end > fromTail ? end - fromTail : 0;
}

size_t CSimulator::OnConfig(const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char c = static_cast<char>(bytes[i]);
        if (c == '\r' || c == '\n') {
            if (lineOverflow) {
                Log(line + "...");
                Reply("ERROR\r\n");
                lineOverflow = false;
                line.clear();
                continue;
            }
            if (line.empty()) continue;
            std::string complete;
            complete.swap(line);
            Log(complete);
            OnLine(complete);
            if (state != ST_CONFIG) return i + 1;
            continue;
        }
        if (lineOverflow) continue;
        line += c;
        if (line.ends_with(kEscape)) {
            line.clear();
            Log(kEscape);
            OnEscape(false);
        } else if (line.ends_with(kHandshake)) {
            line.clear();
            Log("BOOT handshake");
            EnterBootLoader();
            ReplyFrame(SC_HANDSHAKE_REPLY, {BS_OK});
            return i + 1;
        } else if (line.size() > kMaxLine) {
            lineOverflow = true; // keep the start for the log, drop the rest up to the line end
            line.resize(32);
        }
    }
    return n;
}

size_t CSimulator::OnFrames(const uint8_t* bytes, size_t n) {
    Clock::time_point now = Clock::now();
    if (cutter.HoldsPartialFrame() && now - lastFrameByte > kFrameBreakOff) cutter.Clear();
    lastFrameByte = now;
    cutter.Feed(bytes, n);
    SSimFrame f;
    std::string stray;
    for (;;) {
        CFrameCutter::EEvent ev = cutter.Next(f, stray);
        if (ev == CFrameCutter::CUT_NONE) break;
        if (ev == CFrameCutter::CUT_BAD) {
            Log("API bad frame");
        } else if (ev == CFrameCutter::CUT_FRAME) {
            tail.clear();
            OnFrame(f);
        } else if (state == ST_API && escapeMode != ESC_SILENT) {
            tail += stray;
            size_t esc = tail.find(kEscape);
            if (esc == std::string::npos) {
                KeepTail(tail, 3);
                continue;
            }
            std::string after = tail.substr(esc + 3);
            tail.clear();
            Log(kEscape);
            OnEscape(true);
            Bytes rest(after.begin(), after.end());
            Bytes more = cutter.TakeRest();
            rest.insert(rest.end(), more.begin(), more.end());
            Dispatch(rest.data(), rest.size());
            break;
        }
        if (state != ST_API && state != ST_BOOT) {
            Bytes rest = cutter.TakeRest();
            Dispatch(rest.data(), rest.size());
            break;
        }
    }
    return n;
}

void CSimulator::OnEscape(bool entering) {
    if (entering) {
        state = ST_CONFIG;
        line.clear();
        lineOverflow = false;
    }
    switch (escapeMode) {
    case ESC_TWO_CHUNKS:
        Reply("OK\r\n");
        // The repeated "OK" comes after the reader has had time to act on the first.
        if (doubleOk) Reply("OK\r\n", 3 + output->Random(15));
        break;
    case ESC_ONE_CHUNK:
        Reply("OK\r\nOK\r\n");
        break;
    case ESC_SINGLE_OK:
        if (entering) Reply("OK\r\n");
        break;
    case ESC_SILENT:
        break;
    }
}

void CSimulator::OnLine(const std::string& text) {
    const std::string upper = UpperCase(text);
    for (const std::string& prefix : mutedPrefixes)
        if (upper.rfind(prefix, 0) == 0) return;
    SAtContext ctx{network->Local(), failingReads, saveCount, keptValues};
    SAtOutcome out = RunAtCommand(text, ctx);
    if (!out.reply.empty()) Reply(out.reply);
    switch (out.after) {
    case AT_STAY:
        break;
    case AT_TO_API:
        state = ST_API;
        cutter.Clear();
        tail.clear();
        break;
    case AT_RESTART:
        RestartLocal();
        break;
    case AT_SEARCH: {
        std::vector<std::string> records = network->SearchRecords();
        for (size_t k = 0; k < records.size(); ++k)
            Reply(records[k], static_cast<int>(k) * options.nwsGapMs);
        break;
    }
    }
}

void CSimulator::OnFrame(const SSimFrame& f) {
    if (state == ST_BOOT) {
        switch (f.command) {
        case SC_HANDSHAKE:
            Log("BOOT handshake");
            ReplyFrame(SC_HANDSHAKE_REPLY, {BS_OK});
            return;
        case SC_BLOCK_WRITE:
            Log(f.payload.size() >= 2 ? "BOOT block " + std::to_string(f.payload[0] | (f.payload[1] << 8))
                                      : "BOOT block");
            ReplyFrame(SC_BLOCK_REPLY, {boot.WriteBlock(f.payload)});
            return;
        case SC_ENABLE: {
            Log("BOOT enable");
            uint8_t status = boot.Enable();
            ReplyFrame(SC_ENABLE_REPLY, {status});
            if (status == BS_OK) StartNewImage();
            return;
        }
        default:
            Log(Format("BOOT frame 0x%04X", f.command));
            return;
        }
    }
    switch (f.command) {
    case SC_REMOTE_REQUEST: {
        CSimNetwork::SRequestOutcome out = network->HandleRequest(f.payload);
        Log(out.logLine);
        if (!out.reply.empty()) ReplyFrame(SC_REMOTE_REPLY, out.reply);
        if (out.localRestarted) RestartLocal();
        return;
    }
    case SC_RESTART_REQUEST:
        Log("API restart " + BytesToHex(f.payload.data(), static_cast<int>(f.payload.size()), false));
        ReplyFrame(SC_RESTART_REPLY, {0});
        if (f.payload.size() == 1 && f.payload[0] == kRestartIntoBootLoader) {
            network->Local().Restart(true);
            EnterBootLoader();
        } else {
            RestartLocal();
        }
        return;
    case SC_HANDSHAKE:
        Log("BOOT handshake");
        EnterBootLoader();
        ReplyFrame(SC_HANDSHAKE_REPLY, {BS_OK});
        return;
    default:
        Log(Format("API frame 0x%04X", f.command));
        return;
    }
}

void CSimulator::EnterBootLoader() {
    if (state != ST_BOOT) boot.Begin();
    state = ST_BOOT;
    cutter.Clear();
    tail.clear();
    line.clear();
}

void CSimulator::StartNewImage() {
    // The version text follows the image: an FNV-1a digest of its bytes after the release.
    uint32_t digest = 2166136261u;
    for (uint8_t b : boot.Image())
        digest = (digest ^ b) * 16777619u;
    network->Local().SetLasting(PT_SOFT_VERSION, Format("%s #%08X", kSoftRelease, digest));
    if (options.imageResetsParams) network->Local().Factory();
    RestartLocal();
}

void CSimulator::RestartLocal() {
    network->Local().Restart(true);
    state = ST_TRANSPARENT;
    cutter.Clear();
    tail.clear();
    line.clear();
}

COutputQueue::Clock::time_point CSimulator::ReplyTime() const {
    const Clock::time_point now = Clock::now();
    return output->LineRate() > 0 ? std::max(now, inLineFreeAt) : now;
}

void CSimulator::Reply(const std::string& text, int delayMs) {
    output->Schedule(Bytes(text.begin(), text.end()), false, delayMs, ReplyTime());
}

void CSimulator::ReplyFrame(uint16_t command, const Bytes& payload) {
    output->Schedule(BuildSimFrame(command, payload), true, 0, ReplyTime());
}

void CSimulator::Log(std::string text) {
    received.push_back(std::move(text));
}

// ---- faults and inspection ----

void CSimulator::SetEscapeMode(EEscape mode) {
    Locked([&] { escapeMode = mode; });
}
void CSimulator::SetLatency(int ms) {
    Locked([&] { output->SetLatency(ms); });
}
void CSimulator::SetChunking(int maxBytes) {
    Locked([&] { output->SetChunking(maxBytes); });
}
void CSimulator::DropReplies(int n) {
    Locked([&] { output->DropReplies(n); });
}
void CSimulator::CorruptChecksums(int n) {
    Locked([&] { output->CorruptChecksums(n); });
}
void CSimulator::SetGarbage(bool on) {
    Locked([&] { output->SetGarbage(on); });
}
void CSimulator::SetFaultProfile(const SFaultProfile& profile) {
    Locked([&] { ApplyFaults(profile); });
}
void CSimulator::ApplyFaults(const SFaultProfile& p) {
    output->SetChunking(p.chunkMax);
    output->SetLate(p.lateEvery, p.lateMs);
    output->SetStrayStarts(p.strayStarts);
    doubleOk = p.doubleOk;
}
void CSimulator::SetLineRate(unsigned baud) {
    Locked([&] { output->SetLineRate(baud); });
}
void CSimulator::SetNodeStatus(uint16_t node, int status) {
    Locked([&] { network->SetStatus(node, status); });
}
void CSimulator::SetImageResetsParams(bool on) {
    Locked([&] { options.imageResetsParams = on; });
}

void CSimulator::PowerCycle() {
    Locked([&] {
        output->Clear();
        // The boot loader keeps control while the flash holds no enabled image of the last download.
        if (state == ST_BOOT && !boot.Image().empty() && !boot.Enabled()) {
            network->Local().Restart(true);
            cutter.Clear();
            tail.clear();
            return;
        }
        RestartLocal();
    });
}

void CSimulator::SetNwsGap(int ms) {
    Locked([&] { options.nwsGapMs = ms < 0 ? 0 : ms; });
}
void CSimulator::FailReads(int code, bool fail) {
    Locked([&] {
        if (fail)
            failingReads.insert(code);
        else
            failingReads.erase(code);
    });
}

void CSimulator::KeepValue(int code, bool keep) {
    Locked([&] {
        if (keep)
            keptValues.insert(code);
        else
            keptValues.erase(code);
    });
}

void CSimulator::SetLocalParam(int code, const std::string& value) {
    std::lock_guard g(lock);
    CSimModule& m = network->Local();
    if (code == PT_MID)
        m.SetMac(value);
    else if (code == PT_NCD)
        m.SetAddress(static_cast<uint16_t>(DecimalValue(value)));
    else
        m.SetLasting(code, value);
}

void CSimulator::SetRemoteParam(uint16_t node, int code, const std::string& value) {
    std::lock_guard g(lock);
    if (CSimModule* m = network->Find(node)) m->SetLasting(code, value);
}

void CSimulator::HangUp() {
    std::unique_lock g(lock);
    if (!worker.joinable() || hungUp) return;
    hangUpRequested = true;
    Wake();
    hungUpChanged.wait_for(g, seconds(2), [this] { return hungUp; });
}

std::string CSimulator::LocalParam(int code) const {
    std::lock_guard g(lock);
    return network->Local().Read(code);
}

std::string CSimulator::RemoteParam(uint16_t node, int code) const {
    std::lock_guard g(lock);
    const CSimModule* m = network->Find(node);
    return m ? m->Read(code) : std::string();
}

std::vector<uint16_t> CSimulator::NodeAddresses() const {
    std::lock_guard g(lock);
    return network->RemoteAddresses();
}

uint16_t CSimulator::LocalAddress() const {
    std::lock_guard g(lock);
    return network->Local().Address();
}

std::vector<std::string> CSimulator::ReceivedCommands() const {
    std::lock_guard g(lock);
    return received;
}

void CSimulator::ClearReceived() {
    std::lock_guard g(lock);
    received.clear();
}

bool CSimulator::InConfigState() const {
    std::lock_guard g(lock);
    return state == ST_CONFIG;
}

bool CSimulator::InApiMode() const {
    std::lock_guard g(lock);
    return state == ST_API;
}

bool CSimulator::InBootLoader() const {
    std::lock_guard g(lock);
    return state == ST_BOOT;
}

int CSimulator::SaveCount() const {
    std::lock_guard g(lock);
    return saveCount;
}

std::vector<uint8_t> CSimulator::FlashImage() const {
    std::lock_guard g(lock);
    return boot.Image();
}

bool CSimulator::ImageEnabled() const {
    std::lock_guard g(lock);
    return boot.Enabled();
}

int CSimulator::BlocksReceived() const {
    std::lock_guard g(lock);
    return boot.Blocks();
}

long CSimulator::LineBytes() const {
    std::lock_guard g(lock);
    return bytesReceived + output->BytesWritten();
}

void CSimulator::MuteCommands(const std::string& prefix, bool mute) {
    const std::string upper = UpperCase(prefix);
    Locked([&] {
        if (mute)
            mutedPrefixes.insert(upper);
        else
            mutedPrefixes.erase(upper);
    });
}
