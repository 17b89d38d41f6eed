// The firmware download as a transaction around its three steps: a backup of the parameters
// before the restart step, the check of the new application after the enable reply (version,
// parameters, differences from the backup), the restore on the operator's word, the recovery of a
// module left in its boot loader, and the transfer's telemetry.
#include "BackupFiles.h"
#include "ConfigFile.h"
#include "Engine.h"
#include "ParamCatalogue.h"
#include "ParamDiff.h"
#include "ParamValues.h"
#include "TextUtil.h"
#include "Texts.h"

#include <ctime>
#include <filesystem>
#include <system_error>

namespace {
constexpr auto kProgressTextPeriod = std::chrono::milliseconds(200);
} // namespace

void CEngine::BeginBackup() {
    upgradePhase = UP_BACKUP;
    backupValues.clear();
    backupPath.clear();
    host.AppendLog(Text(TXT_BACKUP_READING));
    // Three escape attempts at most: a module that does not answer may sit in its boot loader,
    // and is then offered the download without the restart step.
    LoadParams(1);
}

bool CEngine::WriteBackup() {
    const std::vector<SCmdItem> values = PageValues();
    const SCmdResult* mac = atResults.Find(PT_MID);
    const std::string folder = BackupFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string error = ec ? folder + ": " + ec.message() : std::string();
    const std::string path = NewBackupPath(folder, mac ? mac->values[0] : std::string(), std::time(nullptr));
    if (error.empty()) {
        // The writer of Export Config, with the backup's path in place of the save dialog.
        const SExportResult written = ExportConfig(values, [&path] { return path; });
        if (written.outcome != EXPORT_WRITTEN) error = written.outcome == EXPORT_FAILED ? written.error : "no values";
    }
    if (!error.empty()) {
        host.AppendLog(TextPrintf(TXT_BACKUP_FAILED, error.c_str()));
        return false;
    }
    backupValues = values;
    backupPath = path;
    host.AppendLog(TextPrintf(TXT_BACKUP_WRITTEN, path.c_str()));
    return true;
}

bool CEngine::TransferRunning() const {
    return upgradeRunning || ui.IsTimerRunning(kHandshakeTimer);
}

void CEngine::AfterBatch(bool complete) {
    // The result comes before the dispatcher applies the last reply's value to its page: the
    // transaction goes on once that is done.
    if (upgradePhase != UP_NONE) ui.Post([this, complete] { OnUpgradeBatchDone(complete); });
}

void CEngine::OnUpgradeBatchDone(bool complete) {
    switch (upgradePhase) {
    case UP_BACKUP:
        if (!complete) {
            host.AppendLog(Text(TXT_BACKUP_INCOMPLETE));
            EndUpgrade();
        } else if (!WriteBackup()) {
            EndUpgrade();
        } else {
            upgradePhase = UP_DOWNLOAD;
            OnUpgradeStep(0);
        }
        break;
    case UP_DOWNLOAD:
        // The restart request's result: a failed restart leaves no handshake running.
        if (!TransferRunning()) EndUpgrade();
        break;
    case UP_CHECK:
        FinishCheck();
        break;
    case UP_RESTORE:
        upgradePhase = UP_VERIFY;
        LoadParams();
        break;
    case UP_VERIFY: {
        const int left = LogDifferencesFromBackup();
        host.AppendLog(left == 0 ? Text(TXT_RESTORE_VERIFIED)
                                 : TextPrintf(TXT_RESTORE_INCOMPLETE, left));
        EndUpgrade();
        break;
    }
    default:
        break;
    }
}

bool CEngine::OnUpgradeEntryFailed() {
    if (upgradePhase == UP_NONE) return false;
    // The read batch that could not enter shows its progress and holds the controls: released
    // here, whatever comes next.
    host.StepProgress(host.GetProgressMax());
    host.SetJobRunning(false);
    switch (upgradePhase) {
    case UP_BACKUP:
        // No answer in the application: a module left in its boot loader (for example by a
        // download broken off in an earlier session) still takes a download without the restart.
        if (host.CustomMessageBox(Text(TXT_RECOVER_UNREACHED_PROMPT), MB_STYLE_YESNO) == MB_RESULT_YES) {
            host.AppendLog(Text(TXT_RECOVER_STARTED));
            upgradePhase = UP_DOWNLOAD;
            OnUpgradeStep(1);
        } else {
            EndUpgrade();
        }
        return true;
    case UP_CHECK:
        bootLoaderLeft = true;
        host.AppendLog(Text(TXT_APP_NOT_BACK));
        EndUpgrade();
        return true;
    default:
        EndUpgrade();
        return true;
    }
}

void CEngine::OnUpgradeAborted() {
    if (upgradePhase == UP_NONE) return;
    if (upgradePhase == UP_DOWNLOAD && bootLoaderLeft) host.AppendLog(Text(TXT_LEFT_IN_BOOT));
    if (upgradePhase == UP_CHECK && configEntered == 1 && linkMode == LM_ENTERING) {
        // The check's entry was given up: the new firmware never answered.
        bootLoaderLeft = true;
        host.AppendLog(Text(TXT_APP_NOT_BACK));
    }
    EndUpgrade();
}

void CEngine::EndUpgrade() {
    ui.StopTimer(kAppStartTimer);
    // A backup stays for the download that recovers a broken one; a finished check used it up.
    if (upgradePhase >= UP_CHECK) backupValues.clear();
    upgradePhase = UP_NONE;
    CloseImage();
}

void CEngine::OnTransferBlockDone() {
    const auto now = CTransferTelemetry::Clock::now();
    telemetry.BlockDone(now);
    const bool tenth = telemetry.TenthCrossed();
    if (tenth || now - progressShownAt >= kProgressTextPeriod) {
        progressShownAt = now;
        host.SetProgressText(Text(271) + "\n" + telemetry.ProgressText()); // "Upgrading...." and the figures
    }
    if (tenth) host.AppendLog(telemetry.ProgressText());
}

void CEngine::OnImageEnabled() {
    bootLoaderLeft = false;
    host.AppendLog(telemetry.TotalsText());
    upgradePhase = UP_WAIT_APP;
    host.AppendLog(Text(TXT_WAITING_FOR_APP));
    host.SetJobRunning(true); // the controls stay locked until the check has read the module
    ui.StartTimer(kAppStartTimer, timings.appStartMs, [this] {
        ui.StopTimer(kAppStartTimer);
        if (upgradePhase != UP_WAIT_APP) return;
        if (!serial.IsOpen()) {
            EndUpgrade();
            host.SetJobRunning(false);
            return;
        }
        upgradePhase = UP_CHECK;
        // The new firmware may take a while: the entry keeps trying as the Config Mode says, and
        // an abort of it means the module did not come back.
        LoadParams();
    });
}

std::vector<SCmdItem> CEngine::RestorableBackup() const {
    // A value no write gives back (a coordinator's node address 0, which its role sets) is
    // neither compared nor restored: its write would be refused and the restore never verified.
    std::vector<SCmdItem> out;
    for (const SCmdItem& v : backupValues)
        if (ValueAccepted(v.type, TrimLineEnds(v.Text()))) out.push_back(v);
    return out;
}

int CEngine::LogDifferencesFromBackup() {
    const std::vector<SParamDifference> diffs = CompareParamSets(RestorableBackup(), PageValues());
    if (diffs.empty()) return 0;
    host.AppendLog(TextPrintf(TXT_PARAMS_DIFFER, static_cast<int>(diffs.size())));
    for (const SParamDifference& d : diffs)
        host.AppendLog(TextPrintf(TXT_PARAM_DIFFERENCE, ParamCaption(d.code).c_str(), d.before.c_str(),
                              d.now.c_str()));
    return static_cast<int>(diffs.size());
}

void CEngine::FinishCheck() {
    const SCmdResult* version = atResults.Find(PT_SOFT_VERSION);
    host.AppendLog(TextPrintf(TXT_APP_BACK, version ? TrimLineEnds(version->values[0]).c_str() : ""));
    if (backupValues.empty()) {
        EndUpgrade();
        return;
    }
    const int differing = LogDifferencesFromBackup();
    if (differing == 0) {
        host.AppendLog(TextPrintf(TXT_PARAMS_EQUAL, static_cast<int>(RestorableBackup().size())));
        EndUpgrade();
        return;
    }
    if (host.CustomMessageBox(TextPrintf(TXT_RESTORE_PROMPT, differing), MB_STYLE_YESNO) == MB_RESULT_YES)
        RestoreBackup();
    else
        EndUpgrade();
}

void CEngine::RestoreBackup() {
    upgradePhase = UP_RESTORE;
    host.AppendLog(Text(TXT_RESTORING));
    // Through the pages and the save batch: only what differs from the values just read is
    // written, then saved; the read-back that follows verifies it.
    for (const SCmdItem& v : RestorableBackup())
        host.SetParam(v.type, v.Text());
    if (!SaveParams()) {
        upgradePhase = UP_VERIFY;
        LoadParams();
    }
}
