#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "BootLoader.h"
#include "FaultProfile.h"
#include "OutputQueue.h"
#include "PtyPair.h"
#include "SimFrame.h"
#include "SimNetwork.h"

struct SSimOptions {
    int nodes = 3;             // remote nodes in the simulated network
    std::string portsDir;      // where to create the alias ("" = none)
    int aliasNumber = 0;       // COM<n> alias, 0 = none
    int latencyMs = 0;         // reply latency
    unsigned lineRateBaud = 0; // 0 = no line-rate emulation
    int nwsGapMs = 5;          // gap between network search records
    unsigned seed = 1;         // remote addresses, MACs, chunk sizes, noise
    bool imageResetsParams = false; // an enabled image brings the factory values back
    SFaultProfile faults;      // put on every reply from the start
};

// A module on a pseudo-terminal: transparent state, "+++" into the configuration state, AT
// commands for every parameter of the catalogue, "AT+API" into API frames with remote requests
// to a simulated network, and the boot loader. Faults can be injected at any time from any
// thread; every public operation is thread-safe. Start resets the module and every fault but
// the fault profile of its options.
//
// States: transparent (data is dropped: there is no radio peer; only "+++" and the boot loader
// handshake are acted on), configuration (AT lines, see AtCommands.h), API (frames; "+++" between
// frames returns to the configuration state), boot loader (frames only, until an image is
// enabled; see BootLoader.h). "AT+SRS" and a restart request leave for the transparent state; a
// restart request with payload 02 starts the boot loader. The handshake frame is answered in
// every state, as by a module just powered up into its boot loader. The boot loader ignores
// "+++" and AT text, and a module whose download was interrupted stays in it, answering the
// handshake, even across a power cycle. An enabled image gets a version text of its own (from
// its contents) and, with imageResetsParams, brings back the factory values.
class CSimulator {
  public:
    CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;
    ~CSimulator() { Stop(); }

    // Opens the pseudo-terminal, creates the alias and starts the simulator's thread.
    bool Start(const SSimOptions& o, std::string* error = nullptr);
    // Joins the thread, closes the pseudo-terminal and removes the alias.
    void Stop();
    const std::string& SlavePath() const { return slavePath; }
    const std::string& AliasPath() const { return aliasPath; }

    // How "+++" is answered. ESC_TWO_CHUNKS: every "+++" gets "OK\r\n" of its own, so the two
    // "OK" the program waits for arrive in two chunks. ESC_ONE_CHUNK: every "+++" gets
    // "OK\r\nOK\r\n" in one chunk. ESC_SINGLE_OK: only the "+++" that enters the configuration
    // state is answered. ESC_SILENT: "+++" is neither answered nor acted on.
    enum EEscape { ESC_TWO_CHUNKS, ESC_ONE_CHUNK, ESC_SINGLE_OK, ESC_SILENT };
    void SetEscapeMode(EEscape mode);
    void SetLatency(int ms);
    void SetChunking(int maxBytes); // 0 = whole replies; else random pieces of 1..maxBytes
    void DropReplies(int n);        // the next n replies are not sent
    void CorruptChecksums(int n);   // the next n frames go out with a wrong checksum
    void SetGarbage(bool on);       // 1..8 noise bytes (never 0xFE) before every frame
    // A named set of line faults (see FaultProfile.h), replacing the chunking set before.
    void SetFaultProfile(const SFaultProfile& profile);
    void HangUp();                  // closes the master: the slave sees POLLHUP; alias removed
    void SetLineRate(unsigned baud);
    void SetNodeStatus(uint16_t node, int status); // that node answers with status; 0 = normal
    void SetNwsGap(int ms);
    void SetImageResetsParams(bool on);
    // Power off and on: the saved values come back; a module without an enabled image since its
    // last download started stays in its boot loader.
    void PowerCycle();
    // Sets a local value as if saved (survives restarts), unchecked: 4 and 5 are the version
    // texts, 14 the MAC, 19 the network address, 6 to 40 the parameters.
    void SetLocalParam(int code, const std::string& value);
    void SetRemoteParam(uint16_t node, int code, const std::string& value);
    void FailReads(int code, bool fail); // local reads of code answer "ERROR"
    // Local writes of code answer "OK" but the module keeps its value, as a module that ignores it.
    void KeepValue(int code, bool keep);
    // AT lines that start with prefix (any letter case) get no reply at all, as from a busy module.
    void MuteCommands(const std::string& prefix, bool mute);

    std::string LocalParam(int code) const;
    std::string RemoteParam(uint16_t node, int code) const; // "" for an unknown node or code
    std::vector<uint16_t> NodeAddresses() const;            // remote nodes in the network
    uint16_t LocalAddress() const;
    // AT command lines as received (without line end), "+++", and frames as readable lines:
    // "API remote read 1234 PID", "API remote write 1234 PID 4660", "API remote command 1234 SAV",
    // "API restart 02", "BOOT handshake", "BOOT block 16", "BOOT enable", "API frame 0x1234",
    // "API bad frame".
    std::vector<std::string> ReceivedCommands() const;
    void ClearReceived();
    bool InConfigState() const;
    bool InApiMode() const;
    bool InBootLoader() const;
    int SaveCount() const;
    std::vector<uint8_t> FlashImage() const;
    bool ImageEnabled() const;
    int BlocksReceived() const;
    // Bytes the line carried since Start, both directions (what the port wrote and was sent).
    long LineBytes() const;

  private:
    enum EState { ST_TRANSPARENT, ST_CONFIG, ST_API, ST_BOOT };

    void Run();
    void Wake(); // lock held
    // Protocol, all called with lock held.
    void Dispatch(const uint8_t* bytes, size_t n);
    size_t OnTransparent(const uint8_t* bytes, size_t n);
    size_t OnConfig(const uint8_t* bytes, size_t n);
    size_t OnFrames(const uint8_t* bytes, size_t n);
    void OnEscape(bool entering);
    void OnLine(const std::string& line);
    void OnFrame(const SSimFrame& f);
    void EnterBootLoader();
    void StartNewImage(); // after an enabled download (lock held)
    void RestartLocal();
    void Reply(const std::string& text, int delayMs = 0);
    void ReplyFrame(uint16_t command, const Bytes& payload);
    void Log(std::string line);
    void ApplyFaults(const SFaultProfile& profile);
    // Runs change under the lock and wakes the thread, whose waits may depend on it.
    template <class F> void Locked(F change) {
        std::lock_guard g(lock);
        change();
        Wake();
    }

    // Set by Start before the thread runs, constant until Stop.
    std::string slavePath, aliasPath;
    std::thread worker;
    int wakeFd = -1;

    // lock guards everything below; the thread holds it while it handles received bytes and
    // writes replies, the public operations while they read or change state.
    mutable std::mutex lock;
    std::condition_variable hungUpChanged;
    CPtyPair pty;
    bool stopRequested = false, hangUpRequested = false, hungUp = false;
    SSimOptions options;
    std::unique_ptr<CSimNetwork> network;
    std::unique_ptr<COutputQueue> output;
    CBootLoader boot;
    CFrameCutter cutter;
    COutputQueue::Clock::time_point lastFrameByte{};
    // At the line rate: when the bytes read so far have crossed the line into the module. What
    // they cause is answered from then on, never earlier.
    COutputQueue::Clock::time_point inLineFreeAt{};
    COutputQueue::Clock::time_point ReplyTime() const;
    EState state = ST_TRANSPARENT;
    EEscape escapeMode = ESC_TWO_CHUNKS;
    bool doubleOk = false;
    std::string tail, line; // bytes kept to find "+++" or the handshake across reads; command line
    bool lineOverflow = false;
    std::set<int> failingReads;
    std::set<int> keptValues;
    std::set<std::string> mutedPrefixes; // upper case
    std::vector<std::string> received;
    int saveCount = 0;
    long bytesReceived = 0;
};
