// flash IMAGE: the firmware download, after the image was checked.
#include "CliTexts.h"
#include "Commands.h"
#include "Configure.h"
#include "Engine.h"
#include "ExitCodes.h"
#include "Reporter.h"
#include "TextUtil.h"
#include "Texts.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// The operator's message when path cannot be downloaded as it stands; "" when it can.
std::string ImageProblem(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return TextPrintf(TXT_IMAGE_UNREADABLE, path.c_str(), std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return TextPrintf(TXT_IMAGE_UNREADABLE, path.c_str(), "not a regular file");
    if (access(path.c_str(), R_OK) != 0)
        return TextPrintf(TXT_IMAGE_UNREADABLE, path.c_str(), std::strerror(errno));
    if (st.st_size == 0) return TextPrintf(TXT_CLI_IMAGE_EMPTY, path.c_str());
    if (st.st_size > CEngine::kMaxImageBytes)
        return TextPrintf(TXT_CLI_IMAGE_TOO_LARGE, path.c_str(), static_cast<long long>(st.st_size),
                      int(CEngine::kMaxImageBytes));
    return {};
}

int RunFlash(const SCliOptions& o, CReporter& reporter) {
    if (o.words.size() != 1) {
        reporter.Error("flash takes one firmware IMAGE");
        return EXIT_USAGE;
    }
    if (const std::string problem = ImageProblem(o.words[0]); !problem.empty()) {
        reporter.Error(problem);
        return EXIT_USAGE;
    }
    if (o.ports.size() != 1) {
        reporter.Error("flash takes one --port");
        return EXIT_USAGE;
    }
    SPortOptions line = o.line;
    line.port = o.ports[0];
    CSession session(line, reporter, STimings());
    std::string error;
    if (!session.Open(error)) {
        reporter.Error(error);
        return EXIT_PORT;
    }
    SFlashCheck check;
    const EOutcome outcome = session.Flash(o.words[0], !o.noRestart, o.handshakeMs, check);
    if (outcome == OUT_FAILED) reporter.Error(Text(TXT_FLASH_FAILED));
    else if (outcome == OUT_NO_ANSWER) reporter.Error(Text(TXT_BOOT_SILENT));
    else if (outcome != OUT_OK) reporter.Error(OutcomeMessage(outcome, session));
    if (outcome != OUT_OK) return ExitCodeOf(outcome);
    if (!check.appBack) {
        reporter.Error(Text(TXT_APP_NOT_BACK));
        return EXIT_NO_ANSWER;
    }
    // What the new firmware changed stays changed unless --restore: said even with --quiet, with
    // the command that restores it later.
    if (check.differed && !o.line.restore) {
        reporter.Error(TextPrintf(TXT_NOT_RESTORED, check.backupPath.c_str(), o.ports[0].c_str()));
    } else if (check.differed && !check.restoreVerified) {
        reporter.Error(TextPrintf(TXT_RESTORE_UNVERIFIED, check.backupPath.c_str(), o.ports[0].c_str()));
        return EXIT_REFUSED;
    }
    return EXIT_OK;
}
