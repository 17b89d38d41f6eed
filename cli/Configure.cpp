#include "Configure.h"

#include "CliTexts.h"
#include "ConfigFile.h"
#include "ExitCodes.h"
#include "Messages.h"
#include "ParamCatalogue.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>

std::vector<SDifference> Differences(const std::vector<SCmdResult>& set, const std::map<int, std::string>& module) {
    std::vector<SDifference> out;
    for (const SCmdResult& r : set) {
        if (r.values.empty()) continue;
        const auto it = module.find(r.type);
        const std::string have = it == module.end() ? std::string() : TrimLineEnds(it->second);
        const std::string want = TrimLineEnds(r.values[0]);
        if (it == module.end() || !EqualsNoCase(have, want)) out.push_back({r.type, have, want});
    }
    return out;
}

std::vector<SCmdItem> ExportRecords(const std::map<int, std::string>& values, bool withLinkKey) {
    std::vector<SCmdItem> out;
    // A coordinator's node address is fixed: the network page gives it to no save or export.
    const auto type = values.find(PT_TYP);
    const bool coordinator = type != values.end() && TrimLineEnds(type->second) == "0";
    for (int code : ExportKeyOrder()) {
        if ((code == PT_TLK && !withLinkKey) || (code == PT_NID && coordinator)) continue;
        const auto it = values.find(code);
        if (it != values.end()) out.push_back(MakeValueRecord(code, it->second));
    }
    return out;
}

std::vector<SCmdItem> SetRecords(const std::vector<SCmdResult>& set) {
    std::map<int, std::string> values;
    for (const SCmdResult& r : set)
        if (!r.values.empty()) values[r.type] = r.values[0];
    return ExportRecords(values, true);
}

SWriteReport WriteAndVerify(CSession& session, const std::vector<SCmdResult>& set,
                            const std::map<int, std::string>& before, std::optional<uint16_t> node) {
    SWriteReport report;
    // Only what the window's pages would hand to a save counts (see ExportRecords).
    const std::vector<SCmdItem> records = SetRecords(set);
    std::vector<SCmdResult> saved;
    for (const SCmdItem& r : records)
        saved.push_back(SCmdResult{r.type, {r.Text()}});
    report.written = Differences(saved, before);
    report.after = before;
    if (report.written.empty()) return report;
    std::vector<int> refused;
    report.outcome = node ? session.RemoteWrite(*node, records, refused) : session.Write(records, refused);
    if (report.outcome != OUT_OK && report.outcome != OUT_FAILED) return report;
    const EOutcome readBack = node ? session.RemoteRead(*node, report.after) : session.Read(report.after);
    if (readBack != OUT_OK && readBack != OUT_FAILED) {
        report.outcome = readBack;
        return report;
    }
    for (const SDifference& d : report.written) {
        const auto it = report.after.find(d.code);
        const std::string now = it == report.after.end() ? std::string() : TrimLineEnds(it->second);
        if (EqualsNoCase(now, d.file)) continue;
        const char* key = FindParam(d.code)->mnemonic;
        if (std::find(refused.begin(), refused.end(), d.code) != refused.end())
            report.problems.push_back(TextPrintf(TXT_VALUE_REFUSED, key, d.file.c_str()));
        else
            report.problems.push_back(TextPrintf(TXT_VERIFY_MISMATCH, key, now.c_str(), d.file.c_str()));
    }
    if (!report.problems.empty() || report.outcome == OUT_FAILED || readBack == OUT_FAILED)
        report.outcome = OUT_FAILED;
    return report;
}

int ExitCodeOf(EOutcome outcome) {
    switch (outcome) {
    case OUT_OK: return EXIT_OK;
    case OUT_FAILED: return EXIT_REFUSED;
    case OUT_NO_ANSWER: return EXIT_NO_ANSWER;
    case OUT_PORT_GONE: return EXIT_PORT;
    case OUT_INTERRUPTED: return EXIT_INTERRUPTED;
    }
    return EXIT_REFUSED;
}

std::string OutcomeMessage(EOutcome outcome, const CSession& session) {
    switch (outcome) {
    case OUT_NO_ANSWER: return TextPrintf(TXT_NO_ANSWER, session.PortName().c_str());
    case OUT_PORT_GONE: return TextPrintf(TXT_PORT_VANISHED, session.DevicePath().c_str());
    case OUT_INTERRUPTED: return Text(TXT_INTERRUPTED);
    default: return {};
    }
}
