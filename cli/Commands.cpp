// The single-port subcommands: one session on the one --port.
#include "Commands.h"

#include "CliTexts.h"
#include "ConfigFile.h"
#include "Configure.h"
#include "ExitCodes.h"
#include "Json.h"
#include "Messages.h"
#include "ParamCatalogue.h"
#include "Reporter.h"
#include "TextUtil.h"
#include "Texts.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Opens the one port of a single-port command; nullptr (message shown) when it cannot.
std::unique_ptr<CSession> OpenSession(const SCliOptions& o, CReporter& reporter, int& exitCode) {
    if (o.ports.size() != 1) {
        reporter.Error(o.ports.empty() ? "no --port given (see calyra-cli " + o.command + " --help)"
                                       : "this command takes one --port");
        exitCode = EXIT_USAGE;
        return nullptr;
    }
    SPortOptions line = o.line;
    line.port = o.ports[0];
    auto session = std::make_unique<CSession>(line, reporter, STimings());
    std::string error;
    if (!session->Open(error)) {
        reporter.Error(error);
        exitCode = EXIT_PORT;
        return nullptr;
    }
    return session;
}

// The status line of every parameter a read did not give.
void ReportMissing(const std::map<int, std::string>& values, const std::vector<int>& codes, CReporter& reporter) {
    for (int code : codes)
        if (!values.count(code)) reporter.Error(Text(227) + ParamCaption(code) + Text(255));
}

int Finish(EOutcome outcome, const CSession& session, CReporter& reporter) {
    const std::string message = OutcomeMessage(outcome, session);
    if (!message.empty()) reporter.Error(message);
    return ExitCodeOf(outcome);
}

// The parameter set of a write or diff, its problems shown; empty optional on a fatal one.
bool LoadSet(const std::string& path, CReporter& reporter, SParamSet& set) {
    set = ReadParamSet(path);
    for (const SParamSetProblem& p : set.problems) {
        if (p.fatal)
            reporter.Error(p.text);
        else
            reporter.Note(p.text);
    }
    return set.Ok();
}

void PrintValues(const SCliOptions& o, const CSession& session, const std::map<int, std::string>& values,
                 bool withLinkKey) {
    const std::vector<SCmdItem> records = ExportRecords(values, withLinkKey);
    if (!o.json) {
        std::fputs(ConfigFileText(records).c_str(), stdout);
        return;
    }
    std::string out = "{\"port\":" + JsonString(session.PortName()) + ",\"device\":" + JsonString(session.DevicePath());
    if (!session.SoftVersion().empty()) out += ",\"softVersion\":" + JsonString(TrimLineEnds(session.SoftVersion()));
    if (!session.BootVersion().empty()) out += ",\"bootVersion\":" + JsonString(TrimLineEnds(session.BootVersion()));
    if (values.count(PT_MID)) out += ",\"mac\":" + JsonString(values.at(PT_MID));
    out += ",\"parameters\":{";
    bool first = true;
    for (const SCmdItem& r : records) {
        out += (first ? "" : ",") + JsonString(FindParam(r.type)->mnemonic) + ":" + JsonString(r.Text());
        first = false;
    }
    std::printf("%s}}\n", out.c_str());
}

void PrintDifferences(const SCliOptions& o, const std::vector<SDifference>& diffs) {
    if (o.json) {
        std::string out = "[";
        for (size_t i = 0; i < diffs.size(); ++i)
            out += std::string(i ? "," : "") + "{\"key\":" + JsonString(FindParam(diffs[i].code)->mnemonic) +
                   ",\"module\":" + JsonString(diffs[i].module) + ",\"file\":" + JsonString(diffs[i].file) + "}";
        std::printf("%s]\n", out.c_str());
        return;
    }
    for (const SDifference& d : diffs)
        std::printf("%s=%s -> %s\n", FindParam(d.code)->mnemonic, d.module.c_str(), d.file.c_str());
}

// A node address: decimal, or hexadecimal with 0x.
bool NodeAddress(const std::string& text, uint16_t& node) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 16 : 10);
    if (text.empty() || *end || v < 0 || v > 65535) return false;
    node = static_cast<uint16_t>(v);
    return true;
}

// diff and write of a set against the local module or a node.
int DiffOrWrite(const SCliOptions& o, CReporter& reporter, const std::string& path, bool write,
                std::optional<uint16_t> node) {
    SParamSet set;
    if (!LoadSet(path, reporter, set)) return EXIT_USAGE;
    int exitCode = EXIT_OK;
    auto session = OpenSession(o, reporter, exitCode);
    if (!session) return exitCode;
    std::map<int, std::string> before;
    const EOutcome read = node ? session->RemoteRead(*node, before) : session->Read(before);
    if (read != OUT_OK) {
        if (node && read == OUT_FAILED && before.empty()) {
            reporter.Error(TextPrintf(TXT_NODE_SILENT, std::to_string(*node).c_str()));
            return EXIT_NO_ANSWER;
        }
        if (read == OUT_FAILED) ReportMissing(before, node ? RemoteReadCodes() : LocalReadCodes(), reporter);
        return Finish(read, *session, reporter);
    }
    if (!write) {
        const std::vector<SDifference> diffs = Differences(set.values, before);
        PrintDifferences(o, diffs);
        reporter.Note(TextPrintf(TXT_DIFFERENCES, int(diffs.size())));
        return diffs.empty() ? EXIT_OK : EXIT_REFUSED;
    }
    const SWriteReport report = WriteAndVerify(*session, set.values, before, node);
    for (const std::string& p : report.problems)
        reporter.Error(p);
    if (o.json) {
        std::string out = "{\"written\":[";
        for (size_t i = 0; i < report.written.size(); ++i)
            out += std::string(i ? "," : "") + JsonString(FindParam(report.written[i].code)->mnemonic);
        out += "],\"problems\":[";
        for (size_t i = 0; i < report.problems.size(); ++i)
            out += std::string(i ? "," : "") + JsonString(report.problems[i]);
        std::printf("%s],\"verified\":%s}\n", out.c_str(), report.outcome == OUT_OK ? "true" : "false");
    }
    if (report.outcome == OUT_OK)
        reporter.Note(report.written.empty() ? Text(TXT_NO_DIFFERENCES)
                                             : TextPrintf(TXT_WRITE_VERIFIED, int(report.written.size())));
    return Finish(report.outcome, *session, reporter);
}

} // namespace

int RunRead(const SCliOptions& o, CReporter& reporter) {
    int exitCode = EXIT_OK;
    auto session = OpenSession(o, reporter, exitCode);
    if (!session) return exitCode;
    std::map<int, std::string> values;
    const EOutcome outcome = session->Read(values);
    if (outcome == OUT_FAILED) ReportMissing(values, LocalReadCodes(), reporter);
    if (outcome == OUT_OK || outcome == OUT_FAILED) PrintValues(o, *session, values, true);
    return Finish(outcome, *session, reporter);
}

int RunDiffOrWrite(const SCliOptions& o, CReporter& reporter, bool write) {
    if (o.words.size() != 1) {
        reporter.Error(std::string(write ? "write" : "diff") + " takes one parameter set FILE");
        return EXIT_USAGE;
    }
    return DiffOrWrite(o, reporter, o.words[0], write, std::nullopt);
}

int RunCommand(const SCliOptions& o, CReporter& reporter, int code) {
    int exitCode = EXIT_OK;
    auto session = OpenSession(o, reporter, exitCode);
    if (!session) return exitCode;
    const EOutcome outcome = session->Command(code);
    if (outcome == OUT_FAILED) reporter.Error(Text(FindParam(code)->failTextId));
    else if (outcome == OUT_OK) reporter.Note(Text(FindParam(code)->captionId));
    return Finish(outcome, *session, reporter);
}

int RunSearch(const SCliOptions& o, CReporter& reporter) {
    int exitCode = EXIT_OK;
    auto session = OpenSession(o, reporter, exitCode);
    if (!session) return exitCode;
    std::vector<SNode> nodes;
    const EOutcome outcome = session->Search(nodes, 1000, o.searchMs);
    if (o.json) {
        std::string out = "[";
        for (size_t i = 0; i < nodes.size(); ++i)
            out += std::string(i ? "," : "") + "{\"address\":" + JsonString(nodes[i].address) +
                   ",\"mac\":" + JsonString(nodes[i].mac) + ",\"type\":" + JsonString(nodes[i].nodeType) +
                   ",\"status\":" + JsonString(nodes[i].status) + "}";
        std::printf("%s]\n", out.c_str());
    } else {
        std::printf("%-8s %-18s %-5s %s\n", "ADDRESS", "MAC", "TYPE", "STATUS");
        for (const SNode& n : nodes)
            std::printf("%-8s %-18s %-5s %s\n", n.address.c_str(), n.mac.c_str(), n.nodeType.c_str(), n.status.c_str());
    }
    reporter.Note(TextPrintf(TXT_SEARCH_FOUND, int(nodes.size())));
    return Finish(outcome, *session, reporter);
}

int RunRemote(const SCliOptions& o, CReporter& reporter) {
    uint16_t node = 0;
    if (o.words.size() < 2 || !NodeAddress(o.words[0], node)) {
        reporter.Error("remote takes NODE (0 to 65535, or 0x hex) and read, write FILE, restart or factory");
        return EXIT_USAGE;
    }
    const std::string& action = o.words[1];
    if (action == "write" || action == "diff") {
        if (o.words.size() != 3) {
            reporter.Error("remote NODE " + action + " takes one parameter set FILE");
            return EXIT_USAGE;
        }
        return DiffOrWrite(o, reporter, o.words[2], action == "write", node);
    }
    if (o.words.size() != 2 || (action != "read" && action != "restart" && action != "factory")) {
        reporter.Error("unknown remote action \"" + action + "\" (read, diff FILE, write FILE, restart, factory)");
        return EXIT_USAGE;
    }
    int exitCode = EXIT_OK;
    auto session = OpenSession(o, reporter, exitCode);
    if (!session) return exitCode;
    if (action == "read") {
        std::map<int, std::string> values;
        const EOutcome outcome = session->RemoteRead(node, values);
        if (outcome == OUT_FAILED && !values.empty()) ReportMissing(values, RemoteReadCodes(), reporter);
        if (outcome == OUT_OK || (outcome == OUT_FAILED && !values.empty())) PrintValues(o, *session, values, false);
        if (outcome == OUT_FAILED && values.empty()) {
            reporter.Error(TextPrintf(TXT_NODE_SILENT, o.words[0].c_str()));
            return EXIT_NO_ANSWER;
        }
        return Finish(outcome, *session, reporter);
    }
    const int code = action == "factory" ? PT_FAC : PT_SRS;
    const EOutcome outcome = session->RemoteCommand(node, action == "factory" ? NA_FACTORY : NA_RESTART);
    if (outcome == OUT_FAILED) {
        reporter.Error(TextPrintf(TXT_NODE_SILENT, o.words[0].c_str()));
        return EXIT_NO_ANSWER;
    }
    if (outcome == OUT_OK) reporter.Note(Text(FindParam(code)->captionId));
    return Finish(outcome, *session, reporter);
}

int RunSend(const SCliOptions& o, CReporter& reporter) {
    if (o.words.size() != 1) {
        reporter.Error("send takes one command TEXT (or --hex HEX)");
        return EXIT_USAGE;
    }
    const SCommandPayload payload = BuildCommandPayload(o.words[0], o.hex, true);
    if (payload.status == SCommandPayload::PAYLOAD_TOO_LONG) {
        reporter.Error(TextPrintf(TXT_COMMAND_TOO_LONG, payload.limit));
        return EXIT_USAGE;
    }
    if (payload.status == SCommandPayload::PAYLOAD_HEX_INVALID) {
        reporter.Error(Text(TXT_HEX_INVALID));
        return EXIT_USAGE;
    }
    int exitCode = EXIT_OK;
    auto session = OpenSession(o, reporter, exitCode);
    if (!session) return exitCode;
    std::string reply;
    const EOutcome outcome = session->Send(payload, !o.noEnter && !o.hex, o.waitMs, reply);
    if (o.json) {
        std::printf("{\"reply\":%s,\"hex\":%s}\n", JsonString(reply).c_str(),
                    JsonString(BytesToHex(reply.data(), int(reply.size()), true)).c_str());
    } else if (o.hex) {
        std::printf("%s\n", BytesToHex(reply.data(), int(reply.size()), true).c_str());
    } else {
        std::fwrite(reply.data(), 1, reply.size(), stdout);
    }
    return Finish(outcome, *session, reporter);
}
