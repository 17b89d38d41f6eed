#pragma once

#include "SimModule.h"

#include <set>
#include <string>
#include <string_view>

// What the module does after answering a command line.
enum EAtAfter { AT_STAY, AT_TO_API, AT_RESTART, AT_SEARCH };

struct SAtOutcome {
    std::string reply; // complete reply text, the echo of the line included
    EAtAfter after = AT_STAY;
};

// The local module's view for one command line.
struct SAtContext {
    CSimModule& local;
    const std::set<int>& failingReads; // codes whose reads answer "ERROR"
    int& saveCount;
    const std::set<int>& keptValues; // codes whose writes answer "OK" but change nothing
};

// Runs one command line (without its line end) in the configuration state. Commands are the
// catalogue's read and write commands, matched without regard to letter case, plus "AT" and
// "AT+API"; the commands without a value ("AT+SAV", "AT+FAC", "AT+SRS", "AT+NWS") are also
// taken with a trailing "?". Replies: "+MNE:value\r\nOK\r\n" for reads, the bare text and
// "\r\nOK\r\n" for versions, "OK\r\n" for writes and commands, "ERROR\r\n" for anything
// unknown or refused. With echo on (ECH 1) the line and "\r\n" come first. "AT+NWS" answers
// nothing here: its records follow one by one (AT_SEARCH).
SAtOutcome RunAtCommand(std::string_view line, SAtContext& ctx);
