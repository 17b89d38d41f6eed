#pragma once

#include "Session.h"

#include <string>
#include <vector>

// The command line: the subcommand, its words and every option.
struct SCliOptions {
    std::string command;            // "read", "write", ...
    std::vector<std::string> words; // what follows the subcommand that is not an option
    std::vector<std::string> ports; // every --port, in order
    SPortOptions line;              // line settings and answers; port filled per session
    std::string logPath, recordsPath, station;
    bool json = false, quiet = false, verbose = false, csv = false, hex = false;
    bool noRestart = false, noEnter = false, help = false;
    int waitMs = 300;          // send: quiet time that ends a reply
    int searchMs = 5000;       // search: longest wait for records
    int handshakeMs = 10000;   // flash: longest wait for the boot loader
    int units = 0;             // provision: units per slot, 0 = until Ctrl+C
    int pollMs = 1000;         // provision: pause between looks for the next unit
};

// Parses argv; false with the reason in error (a usage error).
bool ParseCommandLine(int argc, char** argv, SCliOptions& out, std::string& error);
