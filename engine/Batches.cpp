// The batches of the local module (load, save, restart, factory) and the result handling that
// every batch, local or remote, shares.
#include "Engine.h"
#include "ParamCatalogue.h"
#include "PendingWrites.h"
#include "RecvBuffer.h"
#include "TextUtil.h"
#include "Texts.h"

bool CEngine::StartBatch() {
    if (!serial.IsOpen()) {
        host.AppendLog(Text(138));
        return false;
    }
    rawMode = 0;
    upgradeRunning = false; // a new job of the module ends an upgrade still entering
    return true;
}

void CEngine::QueueText(const char* text, int type, int isWrite) {
    SCmdItem record;
    if (MakeTextCommand(text, type, isWrite, record))
        pendingQueue.Push(record);
    else
        host.AppendLog(FormatText(TXT_RECORD_TOO_LONG, {text}));
}

void CEngine::ClearQueues() {
    pendingQueue.Clear();
    sentQueue.Clear();
    failedQueue.Clear();
}

void CEngine::ShowJobProgress(int textId) {
    if (textId) host.SetProgressText(Text(textId));
    host.ShowProgress(5);
    host.SetProgressRange(0, pendingQueue.GetCount());
}

void CEngine::LoadParams(int noPrompt) {
    if (!StartBatch()) return;
    const auto job = BeginJobBuild();
    host.HideLinkKey(false);
    pagesNode = kPagesLocal;
    host.ResetPages();
    ResetBuffer(atBuffer);
    ClearQueues();
    atResults.Clear();
    curWrite = 0;
    for (int code : LocalLoadOrder())
        QueueText(FindParam(code)->readCmd, code, 0);
    ShowJobProgress(213);
    abortEntry = 1;
    PostWorker(WM_CMD_START, LM_AT, noPrompt);
    host.SetJobRunning(true);
}

std::vector<SCmdItem> CEngine::PageValues() {
    std::vector<SCmdItem> list;
    host.CollectParamList(list);
    return list;
}

bool CEngine::LogUnwritable(const std::vector<SCmdItem>& values) {
    bool any = false;
    for (const SCmdItem& value : values)
        if (HasLineBreak(value.Text())) {
            host.AppendLog(FormatText(TXT_VALUE_LINE_BREAK, {ParamCaption(value.type)}));
            any = true;
        }
    return any;
}

std::vector<SPendingWrite> CEngine::WritesAgainst(CResultList& results, const std::vector<SCmdItem>& values) {
    LogUnwritable(values);
    // The stored values compared lose their line ends in place, as the comparison has always done.
    for (const SCmdItem& value : values)
        if (SCmdResult* stored = results.Find(value.type)) stored->values[0] = TrimLineEnds(stored->values[0]);
    return PendingWrites(values, results);
}

bool CEngine::SaveParams() {
    if (!StartBatch()) return false;
    const auto job = BeginJobBuild();
    const std::vector<SCmdItem> values = PageValues();
    ClearQueues();
    curWrite = 1;
    for (const SPendingWrite& change : WritesAgainst(atResults, values)) {
        SCmdItem record;
        if (MakeWriteCommand(change.type, change.pageValue, record))
            pendingQueue.Push(record);
        else if (FindParam(change.type) && FindParam(change.type)->writePrefix)
            host.AppendLog(FormatText(TXT_RECORD_TOO_LONG, {change.pageValue}));
    }
    if (pendingQueue.IsEmpty()) return false;
    QueueText("AT+SAV", PT_SAV, 1);
    ShowJobProgress(214);
    abortEntry = 1;
    PostWorker(WM_CMD_START, LM_AT, 0);
    host.SetJobRunning(true);
    return true;
}

void CEngine::RestartModule() {
    QueueModuleCommand("AT+SRS", PT_SRS);
}
void CEngine::FactoryReset() {
    QueueModuleCommand("AT+FAC", PT_FAC);
}

void CEngine::QueueModuleCommand(const char* text, int code) {
    if (!StartBatch()) return;
    const auto job = BeginJobBuild();
    ClearQueues();
    QueueText(text, code, 0);
    abortEntry = 1;
    PostWorker(WM_CMD_START, LM_AT, 0);
}

int CEngine::OnCmdResult(int result, int code) {
    curType = 0;
    if (code == 0) return 0;
    // The restart into the boot loader is answered or has failed: a reply goes on to the
    // handshake (which marks the upgrade running again), a failure ends the upgrade.
    if (code == PT_SRS && linkMode == LM_UPGRADE_ENTER) upgradeRunning = false;
    host.StepProgress(host.GetProgressMax() - pendingQueue.GetCount());
    if (sentQueue.IsEmpty()) return 0;
    const SCmdItem record = sentQueue.Front();
    if (result == 0) {
        if (ReportStatus(record, 0) == 1) failedQueue.Push(record);
        sentQueue.Pop();
    } else if (result == 1) {
        if (record.type == PT_FAC) LoadParams();
        ReportStatus(record, 1);
        if (curWrite == 1) {
            RememberWrittenValue(record);
            UpdateRemoteNodeAddress(record);
        }
        sentQueue.Pop();
    }
    if (pendingQueue.IsEmpty()) {
        if (failedQueue.IsEmpty()) {
            host.SetJobRunning(false);
            AfterBatch(true);
            return 1;
        }
        const int answer = host.CustomMessageBox(Text(curWrite == 0 ? 209 : 210), MB_STYLE_YESNO);
        // The port may have gone while the prompt was open: then there is no worker to retry
        // with, and the answer starts nothing.
        if (answer == MB_RESULT_YES && serial.IsOpen() && !closing) {
            const auto job = BeginJobBuild();
            pendingQueue.TakeAll(failedQueue);
            failedQueue.Clear();
            QueueSaveForRetry();
            host.ShowProgress(5);
            host.SetProgressRange(0, pendingQueue.GetCount());
            PostWorker(WM_CMD_START, linkMode, 0);
        } else {
            host.StepProgress(host.GetProgressMax());
            host.SetJobRunning(false);
            AfterBatch(false);
        }
    }
    return 1;
}

std::string CEngine::GetPageValue(int code) {
    for (const SCmdItem& value : PageValues())
        if (value.type == code) return value.Text();
    return std::string();
}

void CEngine::RememberWrittenValue(const SCmdItem& record) {
    const std::string v = GetPageValue(record.type);
    if (linkMode == LM_API) {
        if (SCmdResult* stored = apiResults.FindAny(record.type)) {
            if (!v.empty()) {
                if (stored->values.empty())
                    stored->values.push_back(v);
                else
                    stored->values[0] = v;
            }
        } else {
            apiResults.Append(SCmdResult{record.type, {v}});
        }
        return;
    }
    // The entry the comparison of the next save reads: the first with a value. Entries without
    // values (a reply that came in pieces leaves some) never decide a comparison.
    if (SCmdResult* stored = atResults.Find(record.type)) {
        if (!v.empty()) stored->values[0] = v;
    } else {
        atResults.Append(SCmdResult{record.type, {v}});
    }
}

void CEngine::UpdateRemoteNodeAddress(const SCmdItem& record) {
    if (linkMode != LM_API || record.type != PT_NID) return;
    const std::string v = GetPageValue(PT_NID);
    if (!v.empty()) host.RememberNewAddress(v);
}

void CEngine::QueueSaveForRetry() {
    if (curWrite != 1) return;
    if (linkMode == LM_AT) {
        QueueText("AT+SAV", PT_SAV, 1);
    } else if (linkMode == LM_API) {
        SCmdItem record;
        record.type = PT_SAV;
        record.isWrite = 1;
        const int length = BuildRemoteFrame(remoteNode, PT_SAV, nullptr, 0, record);
        if (length > 0) pendingQueue.Push(record);
    }
}
