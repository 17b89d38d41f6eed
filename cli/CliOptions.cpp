#include "CliOptions.h"

#include "TextUtil.h"

#include <cstdlib>
#include <cstring>

namespace {
bool Number(const std::string& text, long min, long max, long& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno || v < min || v > max) return false;
    out = v;
    return true;
}

bool Parity(const std::string& text, int& out) {
    static const char* kNames[] = {"none", "odd", "even", "mark", "space"};
    for (int i = 0; i < 5; ++i)
        if (EqualsNoCase(text, kNames[i]) || (text.size() == 1 && EqualsNoCase(text, std::string(1, kNames[i][0])))) {
            out = i;
            return true;
        }
    return false;
}

bool StopBits(const std::string& text, int& out) {
    if (text == "1") out = 0;
    else if (text == "1.5") out = 1;
    else if (text == "2") out = 2;
    else return false;
    return true;
}
} // namespace

bool ParseCommandLine(int argc, char** argv, SCliOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string value;
        bool inlineValue = false;
        if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
            value = a.substr(a.find('=') + 1);
            a = a.substr(0, a.find('='));
            inlineValue = true;
        }
        const auto flag = [&](const char* name, bool& target) {
            if (a != name) return false;
            target = true;
            return true;
        };
        if (flag("--json", o.json) || flag("--quiet", o.quiet) || flag("-q", o.quiet) ||
            flag("--verbose", o.verbose) || flag("-v", o.verbose) || flag("--csv", o.csv) ||
            flag("--hex", o.hex) || flag("--no-restart", o.noRestart) || flag("--no-enter", o.noEnter) ||
            flag("--restore", o.line.restore) ||
            flag("--help", o.help) || flag("-h", o.help))
            continue;
        if (a.size() > 1 && a[0] == '-' && a != "-") {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    error = "missing value for " + a;
                    return false;
                }
                value = argv[++i];
            }
            long n = 0;
            const auto number = [&](long min, long max) {
                if (Number(value, min, max, n)) return true;
                error = "bad value for " + a + ": \"" + value + "\" (" + std::to_string(min) + " to " +
                        std::to_string(max) + ")";
                return false;
            };
            if (a == "--port" || a == "-p") {
                o.ports.push_back(value);
            } else if (a == "--baud" || a == "-b") {
                if (!number(50, 4000000)) return false;
                o.line.baudRate = unsigned(n);
            } else if (a == "--data-bits") {
                if (!number(5, 8)) return false;
                o.line.dataBits = int(n);
            } else if (a == "--parity") {
                if (!Parity(value, o.line.parity)) {
                    error = "bad value for --parity: \"" + value + "\" (none, odd, even, mark or space)";
                    return false;
                }
            } else if (a == "--stop-bits") {
                if (!StopBits(value, o.line.stopBits)) {
                    error = "bad value for --stop-bits: \"" + value + "\" (1, 1.5 or 2)";
                    return false;
                }
            } else if (a == "--timeout") {
                if (!number(10, 600000)) return false;
                o.line.replyMs = int(n);
            } else if (a == "--retries") {
                if (!number(0, 100)) return false;
                o.line.retries = int(n);
            } else if (a == "--wait") {
                if (!number(1, 600000)) return false;
                o.waitMs = o.searchMs = int(n);
            } else if (a == "--handshake-wait") {
                if (!number(100, 600000)) return false;
                o.handshakeMs = int(n);
            } else if (a == "--units") {
                if (!number(0, 1000000)) return false;
                o.units = int(n);
            } else if (a == "--poll") {
                if (!number(10, 600000)) return false;
                o.pollMs = int(n);
            } else if (a == "--log") {
                o.logPath = value;
            } else if (a == "--records") {
                o.recordsPath = value;
            } else if (a == "--station") {
                o.station = value;
            } else {
                error = "unknown option " + a;
                return false;
            }
            continue;
        }
        if (o.command.empty())
            o.command = a;
        else
            o.words.push_back(a);
    }
    return true;
}
