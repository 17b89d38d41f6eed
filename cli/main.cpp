// calyra-cli: the configuration engine for scripts and production stations.
#include "CliOptions.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Help.h"
#include "ParamCatalogue.h"
#include "Reporter.h"
#include "Session.h"

#include <csignal>
#include <cstdio>

namespace {
void OnInterrupt(int) {
    g_interrupted = true;
}
} // namespace

int main(int argc, char** argv) {
    SCliOptions o;
    std::string error;
    if (!ParseCommandLine(argc, argv, o, error)) {
        std::fprintf(stderr, "calyra-cli: %s\n(see calyra-cli --help)\n", error.c_str());
        return EXIT_USAGE;
    }
    if (o.help || o.command.empty() || o.command == "help") {
        const std::string topic = o.command == "help" && !o.words.empty() ? o.words[0] : o.command;
        std::fputs(HelpText(topic), o.command.empty() && !o.help ? stderr : stdout);
        return o.command.empty() && !o.help ? EXIT_USAGE : EXIT_OK;
    }
    if (!IsCommand(o.command)) {
        std::fprintf(stderr, "calyra-cli: unknown command \"%s\"\n(see calyra-cli --help)\n", o.command.c_str());
        return EXIT_USAGE;
    }
    CReporter reporter(o.quiet, o.verbose);
    if (!o.logPath.empty() && !reporter.OpenLog(o.logPath, error)) {
        reporter.Error("cannot open the log file " + o.logPath + ": " + error);
        return EXIT_USAGE;
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const std::string& c = o.command;
    if (c == "ports") return RunPorts(o, reporter);
    if (c == "read") return RunRead(o, reporter);
    if (c == "diff") return RunDiffOrWrite(o, reporter, false);
    if (c == "write") return RunDiffOrWrite(o, reporter, true);
    if (c == "restart") return RunCommand(o, reporter, PT_SRS);
    if (c == "factory") return RunCommand(o, reporter, PT_FAC);
    if (c == "search") return RunSearch(o, reporter);
    if (c == "remote") return RunRemote(o, reporter);
    if (c == "flash") return RunFlash(o, reporter);
    if (c == "send") return RunSend(o, reporter);
    if (c == "provision") return RunProvision(o, reporter);
    if (c == "records") return RunRecords(o, reporter);
    return EXIT_USAGE;
}
