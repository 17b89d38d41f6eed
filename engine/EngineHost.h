#pragma once

#include "CmdItem.h"

#include <string>
#include <vector>

// What the engine asks of the window: log lines, pages, device views, the progress dialog,
// prompts and the job lock. Always called on the window thread. The defaults do nothing, so a
// headless front end or a test overrides only what it needs.
class IEngineHost {
public:
    virtual ~IEngineHost() = default;

    virtual void AppendLog(const std::string& /*text*/) {}

    // Parameter pages (network, advanced, IO, encryption).
    virtual void ResetPages() {}
    // GetParamList of the four pages in the order network, advanced, IO, encryption.
    virtual void CollectParamList(std::vector<SCmdItem>& /*list*/) {}
    // The page setter of a parameter code (6..18, 20..40).
    virtual void SetParam(int /*code*/, const std::string& /*value*/) {}
    virtual void SetPinCaptions(bool /*numbered*/) {}
    virtual void EnableSleepSettings(bool /*enable*/) {}
    virtual void HideLinkKey(bool /*hide*/) {}

    // Device views.
    virtual void SetSoftVersion(const std::string& /*text*/) {}
    virtual void SetBootVersion(const std::string& /*text*/) {}
    virtual void SetOwnAddress(int /*address*/) {}
    virtual void AddNode(const std::string& /*address*/, const std::string& /*status*/,
                         const std::string& /*mac*/, const std::string& /*nodeType*/) {}
    virtual void EndSearch() {}
    virtual void StopAutoSearch() {}
    virtual void RememberNewAddress(const std::string& /*address*/) {}

    // Progress dialog.
    virtual void SetProgressText(const std::string& /*text*/) {}
    virtual void ShowProgress(int /*showCommand*/) {}
    virtual void SetProgressRange(int /*low*/, int /*high*/) {}
    virtual int GetProgressMax() { return 100; }
    virtual void StepProgress(int /*position*/) {}
    virtual bool IsProgressShown() { return false; }

    // Prompt: returns 6 (Yes) or 7.
    virtual int CustomMessageBox(const std::string& /*text*/, int /*style*/) { return 7; }
    virtual void SetJobRunning(bool /*running*/) {}
    // Index of the Config Mode list (0 Default).
    virtual int ConfigModeIndex() { return 0; }

    // Parameter set files (remote page menu).
    virtual void ImportConfig() {}
    virtual void ExportConfig() {}

    // The port was closed by the engine (vanished device); the window shows the closed state.
    virtual void PortClosed() {}
};
