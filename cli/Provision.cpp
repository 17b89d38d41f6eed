// provision RECIPE: a production station with one slot per --port, each on its own thread with
// its own engine, and records of every unit.
#include "CliTexts.h"
#include "Commands.h"
#include "ConfigFile.h"
#include "Configure.h"
#include "ExitCodes.h"
#include "ParamCatalogue.h"
#include "Recipe.h"
#include "Reporter.h"
#include "RecordsOutput.h"
#include "StationRecords.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {
// How long a module may take to answer again after its firmware was enabled.
constexpr int kRebootTries = 10;

// FNV-1a, 64 bits: a fingerprint of the parameters written, to tell sets apart in the records
// (no protection is asked of it; a hash library would add a dependency for five lines).
std::string Fingerprint(const std::string& text) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, h);
    return buf;
}

struct SStation {
    const SCliOptions& options;
    const SRecipe& recipe;
    CStationRecords& records;
    CReporter& reporter;
    std::string name;
    std::atomic<int> passed{0}, failed{0};
};

class CSlot {
  public:
    CSlot(SStation& station, std::string port) : station(station), port(std::move(port)) {}
    void Run();

  private:
    // One unit on the module just read; returns the record.
    SUnitRecord Provision(CSession& session, const std::map<int, std::string>& before);
    bool ReadAgain(CSession& session, std::map<int, std::string>& values);

    SStation& station;
    std::string port;
};

bool CSlot::ReadAgain(CSession& session, std::map<int, std::string>& values) {
    for (int i = 0; i < kRebootTries && !g_interrupted; ++i) {
        const EOutcome outcome = session.Read(values);
        if (outcome == OUT_OK) return true;
        if (outcome == OUT_PORT_GONE) return false;
        session.Idle(station.options.pollMs);
    }
    return false;
}

SUnitRecord CSlot::Provision(CSession& session, const std::map<int, std::string>& read) {
    SUnitRecord unit;
    unit.station = station.name;
    unit.port = port;
    unit.mac = read.count(PT_MID) ? read.at(PT_MID) : std::string();
    unit.firmwareBefore = TrimLineEnds(session.SoftVersion());
    const std::string holder = station.name + "/" + port;
    std::map<int, std::string> before = read;

    // The unit's own values from the rules.
    std::vector<SCmdResult> set = station.recipe.set;
    std::string unitValues;
    for (const SUnitRule& rule : station.recipe.rules) {
        const std::string value = station.records.Allocate(rule.name, rule.candidates, holder);
        if (value.empty()) {
            unit.reason = TextPrintf(TXT_RULE_EXHAUSTED, FindParam(rule.code)->mnemonic);
            break;
        }
        unitValues += std::string(unitValues.empty() ? "" : ";") + FindParam(rule.code)->mnemonic + "=" + value;
        bool replaced = false;
        for (SCmdResult& r : set)
            if (r.type == rule.code) {
                r.values = {value};
                replaced = true;
            }
        if (!replaced) set.push_back(SCmdResult{rule.code, {value}});
    }
    unit.unitValues = unitValues;
    unit.paramsHash = Fingerprint(ConfigFileText(SetRecords(set)));

    if (unit.reason.empty() && !station.recipe.firmware.empty()) {
        // The recipe's set is written after the download: what the new firmware reset is
        // restored from the backup only with --restore.
        SFlashCheck check;
        const EOutcome flashed = session.Flash(station.recipe.firmware, true, station.options.handshakeMs, check);
        if (flashed != OUT_OK) {
            unit.reason = flashed == OUT_NO_ANSWER ? Text(TXT_BOOT_SILENT) : Text(TXT_FLASH_FAILED);
        } else if (!check.appBack) {
            unit.reason = Text(TXT_APP_NOT_BACK);
        } else if (!session.IsOpen() || !ReadAgain(session, before)) {
            unit.reason = TextPrintf(TXT_NO_ANSWER, session.PortName().c_str());
        }
    }
    if (unit.reason.empty()) {
        const SWriteReport report = WriteAndVerify(session, set, before, std::nullopt);
        if (report.outcome != OUT_OK) {
            unit.reason = !report.problems.empty() ? report.problems[0] : OutcomeMessage(report.outcome, session);
            if (unit.reason.empty()) unit.reason = Text(TXT_FAILED);
        }
        // The record names the unit's values only when the module holds them (a coordinator's
        // node address, for one, is never written).
        for (const SUnitRule& rule : station.recipe.rules) {
            if (!unit.reason.empty()) break;
            const auto want = std::find_if(set.begin(), set.end(), [&](const SCmdResult& r) { return r.type == rule.code; });
            const auto have = report.after.find(rule.code);
            const std::string now = have == report.after.end() ? std::string() : have->second;
            if (want != set.end() && !EqualsNoCase(now, want->values[0]))
                unit.reason = TextPrintf(TXT_VERIFY_MISMATCH, FindParam(rule.code)->mnemonic, now.c_str(),
                                     want->values[0].c_str());
        }
    }
    unit.firmwareAfter = TrimLineEnds(session.SoftVersion());
    unit.result = unit.reason.empty() ? "passed" : "failed";
    // A failed unit gives its values back for the next one.
    if (!unit.reason.empty()) station.records.Release(holder);
    unit.time = FormatTimeStamp();
    std::string error;
    if (!station.records.Add(unit, holder, error))
        station.reporter.Error(TextPrintf(TXT_RECORDS_PROBLEM, "", error.c_str()));
    return unit;
}

void CSlot::Run() {
    const SCliOptions& o = station.options;
    SPortOptions line = o.line;
    line.port = port;
    CSession session(line, station.reporter, STimings());
    session.SetShowProgress(false);
    std::string lastMac;
    int units = 0;
    bool announced = false, openFailed = false;
    while (!g_interrupted && (o.units == 0 || units < o.units)) {
        if (!session.IsOpen()) {
            std::string error;
            if (!session.Open(error)) {
                // The adapter may be unplugged between units: look again later, say it once.
                if (!openFailed) station.reporter.Error(error);
                openFailed = true;
                session.Idle(o.pollMs);
                continue;
            }
            openFailed = false;
        }
        if (!announced) station.reporter.Note(TextPrintf(TXT_WAITING_FOR_MODULE, port.c_str()));
        announced = true;
        std::map<int, std::string> values;
        const EOutcome outcome = session.Read(values);
        if (outcome == OUT_INTERRUPTED) break;
        if (outcome == OUT_PORT_GONE || !session.IsOpen()) {
            session.Close();
            lastMac.clear();
            continue;
        }
        const std::string mac = values.count(PT_MID) ? values.at(PT_MID) : std::string();
        if (outcome != OUT_OK || mac == lastMac) {
            // No module yet, or the last one is still attached.
            session.Idle(o.pollMs);
            continue;
        }
        const SUnitRecord unit = Provision(session, values);
        ++units;
        (unit.reason.empty() ? station.passed : station.failed)++;
        station.reporter.Note(TextPrintf(TXT_UNIT_LINE, port.c_str(), unit.mac.c_str(),
                                     Text(unit.reason.empty() ? TXT_PASSED : TXT_FAILED).c_str(),
                                     unit.reason.c_str()));
        lastMac = mac;
        announced = false;
    }
    session.Close();
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !*name) return "station";
    return name;
}
} // namespace

int RunProvision(const SCliOptions& o, CReporter& reporter) {
    if (o.words.size() != 1) {
        reporter.Error("provision takes one RECIPE");
        return EXIT_USAGE;
    }
    if (o.ports.empty()) {
        reporter.Error("provision needs at least one --port (one per slot)");
        return EXIT_USAGE;
    }
    SRecipe recipe;
    std::vector<std::string> problems;
    if (!ReadRecipe(o.words[0], recipe, problems)) {
        for (const std::string& p : problems)
            reporter.Error(p);
        return EXIT_USAGE;
    }
    CStationRecords records;
    const std::string recordsPath = o.recordsPath.empty() ? CStationRecords::DefaultPath() : o.recordsPath;
    std::string error;
    if (!records.Open(recordsPath, error)) {
        reporter.Error(TextPrintf(TXT_RECORDS_PROBLEM, recordsPath.c_str(), error.c_str()));
        return EXIT_USAGE;
    }
    SStation station{o, recipe, records, reporter,
                     !o.station.empty() ? o.station : !recipe.station.empty() ? recipe.station : HostName()};
    std::vector<std::thread> threads;
    for (const std::string& port : o.ports)
        threads.emplace_back([&station, port] { CSlot(station, port).Run(); });
    for (std::thread& t : threads)
        t.join();
    const int passed = station.passed, failed = station.failed;
    std::printf("%s\n", TextPrintf(TXT_STATION_SUMMARY, station.name.c_str(), passed + failed, passed,
                               failed)
                            .c_str());
    if (g_interrupted) return EXIT_INTERRUPTED;
    return failed ? EXIT_REFUSED : EXIT_OK;
}

int RunRecords(const SCliOptions& o, CReporter& reporter) {
    CStationRecords records;
    const std::string path = o.recordsPath.empty() ? CStationRecords::DefaultPath() : o.recordsPath;
    std::string error;
    std::vector<SUnitRecord> list;
    if (access(path.c_str(), F_OK) != 0) {
        reporter.Error(TextPrintf(TXT_RECORDS_PROBLEM, path.c_str(), "no such file"));
        return EXIT_USAGE;
    }
    if (!records.Open(path, error) || !records.List(list, error)) {
        reporter.Error(TextPrintf(TXT_RECORDS_PROBLEM, path.c_str(), error.c_str()));
        return EXIT_USAGE;
    }
    PrintRecords(list, o.csv, o.json);
    return EXIT_OK;
}
