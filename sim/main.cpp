// calyra-sim: a simulated module on a pseudo-terminal, for running Calyra without hardware.

#include "CalyraVersion.h"
#include "Simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char* kUsage = R"(Usage: calyra-sim [options]

Simulates a ZigBee module on a pseudo-terminal: transparent state, "+++" into the
configuration state, AT reads and writes of every parameter, network search, "AT+API"
into API frames with remote requests to a simulated network, and the boot loader for
firmware downloads. Prints the slave device path; runs until SIGINT or SIGTERM.

Options:
  --alias COM<n>     create the symbolic link COM<n> to the slave in the ports folder
                     (n may also be given alone); removed again on exit
  --ports-dir DIR    the ports folder for the alias; default: $CALYRA_PORTS_DIR, else
                     $XDG_CONFIG_HOME/calyra/ports (~/.config/calyra/ports)
  --nodes N          remote nodes in the simulated network (default 3)
  --latency MS       delay before every reply (default 0)
  --line-rate BAUD   send and take bytes no faster than BAUD allows, 10 bits per byte (default off)
  --chunk N          send replies in random pieces of 1..N bytes (default whole)
  --faults PROFILE   the faults of a real line on every reply:
                       clean      none (default)
                       split      replies in random pieces of 1..3 bytes
                       late       about one reply in 8 comes --late-ms late
                       stray      noise before frames with stray 0xFE start bytes and
                                  plausible length bytes
                       double-ok  the "OK" of every "+++" comes twice
                       rough      split, stray and double-ok together
                       hostile    rough and late together
  --late-ms MS       how late the late replies come (default 900)
  --escape MODE      how "+++" is answered: two (default: "OK" per "+++", so two
                     attempts give two separate chunks), one ("OK\r\nOK\r\n" in one
                     chunk), single (only the "+++" that enters is answered), silent
  --nws-gap MS       pause between network search records (default 5)
  --seed N           seed of node addresses, MACs and random pieces (default 1)
  --soft-version T   the text "AT+VER" answers (default contains the model "R7730")
  --image-resets-params yes|no
                     a downloaded image, once enabled, brings back the factory values
                     (default no); its version text always follows the image
  --help             this text
  --version          the version

Calyra lists every symbolic link named COM<n> in its ports folder as the port COM<n>:
the folder is $CALYRA_PORTS_DIR when that is set, else $XDG_CONFIG_HOME/calyra/ports.
Start the simulator with the same folder, for example
  CALYRA_PORTS_DIR=/tmp/ports calyra-sim --alias COM1 --nodes 3 &
  CALYRA_PORTS_DIR=/tmp/ports calyra
and open COM1 in Calyra (any baud rate: a pseudo-terminal ignores line settings).
)";

bool ParseNumber(const char* text, long min, long max, long& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < min || v > max) return false;
    out = v;
    return true;
}

std::string DefaultPortsDir() {
    if (const char* d = std::getenv("CALYRA_PORTS_DIR"); d && *d) return d;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return std::string(x) + "/calyra/ports";
    if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config/calyra/ports";
    return {};
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "calyra-sim: %s\n(see calyra-sim --help)\n", message.c_str());
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    SSimOptions o;
    std::string softVersion;
    int chunk = -1;
    int lateMs = -1;
    CSimulator::EEscape escape = CSimulator::ESC_TWO_CHUNKS;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version" || a == "-V") {
            std::puts("calyra-sim " CALYRA_VERSION);
            return 0;
        }
        if (i + 1 >= argc) return Fail("missing value for " + a + " or unknown option");
        const char* v = argv[++i];
        long n = 0;
        if (a == "--alias") {
            const char* digits = strncasecmp(v, "COM", 3) == 0 ? v + 3 : v;
            if (!ParseNumber(digits, 1, 255, n)) return Fail("--alias takes COM<n> with n from 1 to 255");
            o.aliasNumber = static_cast<int>(n);
        } else if (a == "--ports-dir") {
            o.portsDir = v;
        } else if (a == "--nodes" && ParseNumber(v, 0, 200, n)) {
            o.nodes = static_cast<int>(n);
        } else if (a == "--latency" && ParseNumber(v, 0, 60000, n)) {
            o.latencyMs = static_cast<int>(n);
        } else if (a == "--line-rate" && ParseNumber(v, 0, 4000000, n)) {
            o.lineRateBaud = static_cast<unsigned>(n);
        } else if (a == "--chunk" && ParseNumber(v, 0, 4096, n)) {
            chunk = static_cast<int>(n);
        } else if (a == "--faults") {
            if (!FaultProfileByName(v, o.faults)) {
                std::string names;
                for (const std::string& name : FaultProfileNames())
                    names += (names.empty() ? "" : ", ") + name;
                return Fail("--faults takes one of " + names);
            }
        } else if (a == "--late-ms" && ParseNumber(v, 0, 600000, n)) {
            lateMs = static_cast<int>(n);
        } else if (a == "--nws-gap" && ParseNumber(v, 0, 60000, n)) {
            o.nwsGapMs = static_cast<int>(n);
        } else if (a == "--seed" && ParseNumber(v, 0, 0x7FFFFFFF, n)) {
            o.seed = static_cast<unsigned>(n);
        } else if (a == "--image-resets-params") {
            const std::string m = v;
            if (m != "yes" && m != "no") return Fail("--image-resets-params takes yes or no");
            o.imageResetsParams = m == "yes";
        } else if (a == "--soft-version") {
            softVersion = v;
        } else if (a == "--escape") {
            std::string m = v;
            if (m == "two")
                escape = CSimulator::ESC_TWO_CHUNKS;
            else if (m == "one")
                escape = CSimulator::ESC_ONE_CHUNK;
            else if (m == "single")
                escape = CSimulator::ESC_SINGLE_OK;
            else if (m == "silent")
                escape = CSimulator::ESC_SILENT;
            else
                return Fail("--escape takes two, one, single or silent");
        } else {
            return Fail("bad option or value: " + a + " " + v);
        }
    }
    if (o.aliasNumber && o.portsDir.empty()) o.portsDir = DefaultPortsDir();
    if (chunk >= 0) o.faults.chunkMax = chunk;
    if (lateMs >= 0) o.faults.lateMs = lateMs;

    // The simulator's thread inherits this mask, so only sigwait below sees the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CSimulator sim;
    std::string error;
    if (!sim.Start(o, &error)) return Fail(error);
    sim.SetEscapeMode(escape);
    if (!softVersion.empty()) sim.SetLocalParam(4, softVersion);
    std::printf("calyra-sim: slave %s\n", sim.SlavePath().c_str());
    if (!sim.AliasPath().empty())
        std::printf("calyra-sim: alias %s -> %s\n", sim.AliasPath().c_str(), sim.SlavePath().c_str());
    std::printf("calyra-sim: %d remote nodes; stop with Ctrl+C\n", o.nodes);
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    sim.Stop();
    std::printf("calyra-sim: stopped\n");
    return 0;
}
