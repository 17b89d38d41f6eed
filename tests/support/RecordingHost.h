#pragma once

// An engine host that records what the engine asks of the window, for tests and benchmarks.
#include "Engine.h"
#include "ParamCatalogue.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CRecordingHost : public IEngineHost {
  public:
    std::vector<std::string> log;
    std::map<int, std::string> params;
    std::vector<std::vector<std::string>> nodes;
    std::vector<std::string> prompts;
    int promptAnswer = MB_RESULT_NO;
    std::function<void()> onPrompt; // runs inside the prompt, before it answers
    int configModeIndex = 1;        // Custom: a silent module fails after three attempts
    bool jobRunning = false;
    int progressMax = 100, progressPos = 0;
    bool progressShown = false;
    int ownAddress = -1, endSearches = 0, portClosed = 0;
    std::string softVersion, bootVersion;
    bool linkKeyHidden = false;

    void AppendLog(const std::string& t) override { log.push_back(t); }
    void ResetPages() override { params.clear(); }
    void CollectParamList(std::vector<SCmdItem>& list) override {
        for (const auto& [code, value] : params) {
            const SParamInfo* info = FindParam(code);
            if (info && info->writePrefix && !(code == PT_TLK && linkKeyHidden))
                list.push_back(MakeValueRecord(code, value));
        }
    }
    void SetParam(int code, const std::string& v) override { params[code] = v; }
    void HideLinkKey(bool hide) override { linkKeyHidden = hide; }
    void SetSoftVersion(const std::string& t) override { softVersion = t; }
    void SetBootVersion(const std::string& t) override { bootVersion = t; }
    void SetOwnAddress(int a) override { ownAddress = a; }
    void AddNode(const std::string& a, const std::string& s, const std::string& m,
                 const std::string& t) override {
        nodes.push_back({a, s, m, t});
    }
    void EndSearch() override { ++endSearches; }
    void ShowProgress(int) override { progressShown = true; }
    void SetProgressRange(int, int high) override {
        progressMax = high;
        progressPos = 0;
    }
    int GetProgressMax() override { return progressMax; }
    void StepProgress(int pos) override {
        progressPos = pos;
        if (pos >= progressMax) progressShown = false;
    }
    bool IsProgressShown() override { return progressShown; }
    int CustomMessageBox(const std::string& text, int) override {
        prompts.push_back(text);
        if (onPrompt) onPrompt();
        return promptAnswer;
    }
    void SetJobRunning(bool r) override { jobRunning = r; }
    int ConfigModeIndex() override { return configModeIndex; }
    void PortClosed() override { ++portClosed; }
    std::vector<std::string> progressTexts;
    void SetProgressText(const std::string& t) override { progressTexts.push_back(t); }

    bool Logged(const std::string& text) const {
        for (const auto& l : log)
            if (l == text) return true;
        return false;
    }
    int Count(const std::string& text) const {
        int n = 0;
        for (const auto& l : log)
            n += l == text;
        return n;
    }
};
