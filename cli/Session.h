#pragma once

#include "CommandPayload.h"
#include "Engine.h"
#include "EngineHost.h"
#include "UiDispatcher.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CReporter;

// The port and line the operator chose, and how the engine's questions are answered.
struct SPortOptions {
    std::string port; // as given: COM<n>, a device path or a /dev/serial/by-id link
    unsigned baudRate = 115200;
    int dataBits = 8;
    int parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0; // 0 one, 1 one and a half, 2 two
    int replyMs = 6000;
    int retries = 1;  // how often failed reads or writes are sent again (the engine's question)
    bool restore = false; // after a download: write back what the new firmware changed
};

// How a job ended.
enum EOutcome {
    OUT_OK,
    OUT_FAILED,      // some commands failed (refused or unanswered after the retries)
    OUT_NO_ANSWER,   // the module did not enter the configuration state, or the boot loader is silent
    OUT_PORT_GONE,   // the port vanished
    OUT_INTERRUPTED, // Ctrl+C
};

// What the check after a download found (the download itself is the EOutcome).
struct SFlashCheck {
    bool appBack = false;        // the new firmware answered and its parameters were read
    bool differed = false;       // parameters differed from the backup (the restore was offered)
    bool restoreVerified = false; // they were restored and read back equal
    std::string backupPath;      // the backup taken before the download ("" without the restart step)
};

struct SNode {
    std::string address, status, mac, nodeType;
};

// The parameters a read of the local module or of a node gives values of.
std::vector<int> LocalReadCodes();
std::vector<int> RemoteReadCodes();

// Set by the SIGINT handler; every wait gives up when it turns true.
extern std::atomic<bool> g_interrupted;

// One engine on one port, driven from the calling thread (which becomes the engine's window
// thread): the host answers what the engine asks from the options and never blocks on a
// question. Every operation runs one of the engine's batches and waits for its end.
class CSession : private IEngineHost {
  public:
    CSession(const SPortOptions& options, CReporter& reporter, STimings timings);
    ~CSession() override;
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // Opens the port; false with the operator's message in error.
    bool Open(std::string& error);
    void Close();
    const std::string& PortName() const { return portName; }
    const std::string& DevicePath() const { return devicePath; }
    // Quiet sessions show no progress (provision slots run side by side).
    void SetShowProgress(bool on) { showProgress = on; }

    bool IsOpen() const { return engine->IsOpen(); }
    // Lets the engine run for ms (or until Ctrl+C) without a job: a pause that still takes input.
    void Idle(int ms);

    // Reads every parameter of the local module: values by code, the versions.
    EOutcome Read(std::map<int, std::string>& values);
    const std::string& SoftVersion() const { return softVersion; }
    const std::string& BootVersion() const { return bootVersion; }
    // Writes the values that differ from the last Read, then saves. failed: codes the module
    // refused or did not answer.
    EOutcome Write(const std::vector<SCmdItem>& values, std::vector<int>& failed);
    // Restart (PT_SRS) or factory reset (PT_FAC, which the engine follows with a read).
    EOutcome Command(int code);
    EOutcome Search(std::vector<SNode>& nodes, int settleMs, int maxMs);
    EOutcome RemoteRead(uint16_t node, std::map<int, std::string>& values);
    EOutcome RemoteWrite(uint16_t node, const std::vector<SCmdItem>& values, std::vector<int>& failed);
    EOutcome RemoteCommand(uint16_t node, int action); // NA_RESTART, NA_FACTORY
    // The firmware download as a whole: with restart, a backup of the parameters and the restart
    // into the boot loader first; after the transfer the check of the new firmware against the
    // backup (and the restore, with options.restore). A module silent in its application, or
    // left in its boot loader, is downloaded to without the restart step.
    EOutcome Flash(const std::string& image, bool restart, int handshakeMs, SFlashCheck& check);
    // One raw command; enter: "+++" first. The bytes that came back within waitMs of the last byte.
    EOutcome Send(const SCommandPayload& payload, bool enter, int waitMs, std::string& reply);

  private:
    // IEngineHost
    void AppendLog(const std::string& text) override;
    void ResetPages() override { values.clear(); }
    void CollectParamList(std::vector<SCmdItem>& list) override;
    void SetParam(int code, const std::string& value) override;
    void HideLinkKey(bool hide) override { linkKeyHidden = hide; }
    void SetSoftVersion(const std::string& text) override { softVersion = text; }
    void SetBootVersion(const std::string& text) override { bootVersion = text; }
    void AddNode(const std::string& address, const std::string& status, const std::string& mac,
                 const std::string& nodeType) override;
    void EndSearch() override { ++endSearches; }
    void SetProgressText(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    int GetProgressMax() override { return progressMax; }
    void StepProgress(int position) override;
    bool IsProgressShown() override { return progressShown; }
    int CustomMessageBox(const std::string& text, int style) override;
    void SetJobRunning(bool running) override;
    int ConfigModeIndex() override { return 1; } // Custom: give up after three attempts
    void PortClosed() override { vanished = true; }

    struct SJobMark {
        int jobEnds, endSearches;
    };
    SJobMark Mark() const { return {jobEnds, endSearches}; }
    // Runs the engine until the job begun after mark ends: its last result, a failed entry, a
    // vanished port or Ctrl+C.
    EOutcome Wait(const SJobMark& mark);
    bool Pump(const std::function<bool()>& done, int timeoutMs);
    void BeginJob();
    bool LoggedInJob(const std::string& text) const;
    static bool IsDownloadStep(const std::string& text);
    std::vector<int> FailedWrites(const std::vector<SCmdItem>& values) const;

    SPortOptions options;
    CReporter& reporter;
    CUiDispatcher ui;
    std::unique_ptr<CEngine> engine;
    std::string portName, devicePath;
    bool showProgress = true;

    // Host state, touched only on this thread (the engine calls the host on its window thread).
    std::map<int, std::string> values;
    std::vector<SCmdItem> toWrite;
    // A download with the restart step backs the module up first: the pages it reads from are
    // the values its backup reads gave.
    bool flashing = false;
    bool flashDiffered = false; // the check offered the restore
    std::vector<SNode> nodes;
    std::vector<std::string> jobLog; // log lines of the running job
    std::string softVersion, bootVersion, progressLabel, progressDetail;
    bool linkKeyHidden = false, progressShown = false, vanished = false;
    int progressMax = 100;
    int jobEnds = 0, endSearches = 0, retriesLeft = 0;
};
