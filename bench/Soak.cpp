#include "Soak.h"

#include "EngineTestAccess.h"
#include "RecordingHost.h"
#include "Simulator.h"
#include "Texts.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kAlias = 11;

// Values the simulated module accepts, and one it refuses.
struct SEdit {
    int code;
    long min, max;
};
constexpr SEdit kEdits[] = {{PT_PID, 0, 65531}, {PT_CHA, 11, 26}, {PT_ITV, 6, 1980}, {PT_STC, 0, 500},
                            {PT_ENP, 0, 255},   {PT_PRD, 0, 65535}, {PT_DT0 + 2, 0, 65535}};

class CSoak {
  public:
    CSoak(const SSoakOptions& o) : options(o), rng(o.seed) {}

    bool Start(std::string& error) {
        dir = std::filesystem::temp_directory_path() / ("calyra-soak-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        setenv("CALYRA_PORTS_DIR", dir.c_str(), 1);
        SSimOptions s;
        s.portsDir = dir.string();
        s.aliasNumber = kAlias;
        s.seed = options.seed;
        s.faults = options.faults;
        if (!sim.Start(s, &error)) return false;
        ui.BindToCurrentThread();
        host.configModeIndex = 0; // the default mode: the escape is retried until answered
        host.onPrompt = [this] { host.promptAnswer = promptsThisJob++ < options.retries ? MB_RESULT_YES : MB_RESULT_NO; };
        engine = std::make_unique<CEngine>(host, ui, options.timings);
        if (!engine->OpenPort(kAlias, 115200, 8, 0, 0)) {
            error = engine->LastErrorText();
            return false;
        }
        return true;
    }
    ~CSoak() {
        engine.reset();
        sim.Stop();
        std::filesystem::remove_all(dir);
    }

    void Job(int index, SSoakFigures& f) {
        host.log.clear();
        sim.ClearReceived();
        promptsThisJob = 0;
        const bool load = index % 2 == 0;
        std::set<int> edited;
        const int savesBefore = sim.SaveCount();
        if (load) {
            engine->LoadParams();
        } else {
            Edit(edited);
            engine->SaveParams();
        }
        ++f.jobs;
        const bool ended = ui.PumpUntil([&] { return !host.jobRunning && CEngineTestAccess(*engine).pendingQueue.IsEmpty(); },
                                        options.hangMs);
        ui.PumpFor(5); // the worker leaves the job
        if (!ended) {
            ++f.hangs;
            engine->OnJobAbort();
            ui.PumpFor(50);
        } else {
            ++f.completed;
        }
        bool failures = false;
        for (const std::string& line : host.log) {
            failures |= line.ends_with(Text(255)) || line == Text(218);
            f.ignoredReplies += line.rfind(Text(TXT_LATE_REPLY).substr(0, 10), 0) == 0;
        }
        f.withFailures += failures;
        if (load)
            CheckLoad(f);
        else
            CheckSave(f, edited, savesBefore);
    }

  private:
    void Edit(std::set<int>& edited) {
        const int count = 1 + static_cast<int>(rng() % 2);
        for (int i = 0; i < count; ++i) {
            const SEdit& e = kEdits[rng() % std::size(kEdits)];
            if (!host.params.count(e.code)) continue; // its read failed: not on the page
            // One save in ten asks for a channel the module refuses.
            const long v = e.code == PT_CHA && rng() % 10 == 0 ? 99 : e.min + static_cast<long>(rng() % (e.max - e.min + 1));
            host.params[e.code] = std::to_string(v);
            edited.insert(e.code);
        }
    }

    // The code whose status line this is, with its read or write prefix; 0 when none.
    int StatusCode(const std::string& line, const std::string& prefix, const std::string& outcome) const {
        if (!line.starts_with(prefix) || !line.ends_with(outcome)) return 0;
        const std::string caption = line.substr(prefix.size(), line.size() - prefix.size() - outcome.size());
        for (int code = PT_SOFT_VERSION; code <= PT_TLK; ++code)
            if (FindParam(code) && ParamCaption(code) == caption) return code;
        return 0;
    }

    void CheckLoad(SSoakFigures& f) {
        for (const auto& [code, value] : host.params)
            if (code != PT_NCD && value != sim.LocalParam(code)) ++f.wrongValues;
        if (!host.softVersion.empty() && host.softVersion != sim.LocalParam(PT_SOFT_VERSION)) ++f.wrongValues;
        if (!host.bootVersion.empty() && host.bootVersion != sim.LocalParam(PT_BOOT_VERSION)) ++f.wrongValues;
        for (const std::string& line : host.log) {
            const int code = StatusCode(line, Text(227), Text(256));
            if (!code) continue;
            const std::string shown = code == PT_SOFT_VERSION   ? host.softVersion
                                      : code == PT_BOOT_VERSION ? host.bootVersion
                                      : host.params.count(code) ? host.params[code]
                                                                : std::string();
            if (shown != sim.LocalParam(code)) ++f.falseSuccesses;
        }
        known.clear();
        for (const auto& [code, value] : host.params)
            known[code] = value;
    }

    void CheckSave(SSoakFigures& f, const std::set<int>& edited, int savesBefore) {
        bool saveReported = false;
        for (const std::string& line : host.log) {
            saveReported |= line == Text(221);
            if (const int code = StatusCode(line, Text(228), Text(256))) {
                if (host.params[code] != sim.LocalParam(code)) ++f.falseSuccesses;
                known[code] = host.params[code];
            }
        }
        if (saveReported && sim.SaveCount() == savesBefore) ++f.falseSuccesses;
        for (const std::string& command : sim.ReceivedCommands()) {
            const size_t eq = command.find('=');
            if (!command.starts_with("AT+") || eq == std::string::npos) continue;
            const SParamInfo* info = FindParamByMnemonic(command.substr(3, eq - 3));
            if (!info || edited.count(info->code)) continue;
            auto k = known.find(info->code);
            if (k != known.end() && k->second == command.substr(eq + 1)) ++f.rewrites;
        }
    }

    SSoakOptions options;
    std::mt19937 rng;
    std::filesystem::path dir;
    CSimulator sim;
    CRecordingHost host;
    CUiDispatcher ui;
    std::unique_ptr<CEngine> engine;
    std::map<int, std::string> known; // what the module is known to hold: read or written with success
    int promptsThisJob = 0;
};
} // namespace

SSoakFigures RunSoak(const SSoakOptions& options, const std::function<void(const SSoakFigures&)>& progress) {
    SSoakFigures f;
    const auto start = Clock::now();
    CSoak soak(options);
    std::string error;
    if (!soak.Start(error)) {
        std::fprintf(stderr, "soak: %s\n", error.c_str());
        f.hangs = -1;
        return f;
    }
    for (int i = 0; i < options.jobs; ++i) {
        soak.Job(i, f);
        f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (progress) progress(f);
    }
    return f;
}
