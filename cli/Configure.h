#pragma once

#include "CmdResult.h"
#include "Session.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// What the single-port commands and the provision slots share: differences between a parameter
// set and a module, the write with its verify, and what an outcome means for the exit code.

struct SDifference {
    int code;
    std::string module; // "" when the module gave no value
    std::string file;
};

// The values of the set that the module holds otherwise, compared as the engine compares before
// a write (line ends trimmed, letter case ignored).
std::vector<SDifference> Differences(const std::vector<SCmdResult>& set, const std::map<int, std::string>& module);

// Value records of read values in the order of an exported file (the link key only when asked;
// a coordinator's node address never, as the network page leaves it out).
std::vector<SCmdItem> ExportRecords(const std::map<int, std::string>& values, bool withLinkKey);

// Value records of a parameter set in the order of an exported file: the order in which the
// window's pages hand their values to a save (the node type before the node address).
std::vector<SCmdItem> SetRecords(const std::vector<SCmdResult>& set);

struct SWriteReport {
    EOutcome outcome = OUT_OK;
    std::vector<SDifference> written;    // what was to be written
    std::vector<std::string> problems;   // refused values and verify mismatches, as messages
    std::map<int, std::string> after;    // the values read back
};

// Writes the differences of set against before (the module's values just read), saves, reads
// back and checks every written value. node: a remote module instead of the local one.
SWriteReport WriteAndVerify(CSession& session, const std::vector<SCmdResult>& set,
                            const std::map<int, std::string>& before, std::optional<uint16_t> node);

// The exit code of an outcome, and the message that goes with it ("" for OUT_OK).
int ExitCodeOf(EOutcome outcome);
std::string OutcomeMessage(EOutcome outcome, const CSession& session);
