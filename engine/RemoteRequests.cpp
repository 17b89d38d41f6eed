// Requests to remote modules: the node actions of the remote device page, built as remote AT
// request frames that the local module forwards in API mode.
#include "Engine.h"
#include "ParamCatalogue.h"
#include "TextUtil.h"
#include "Texts.h"

#include <cstring>

int CEngine::BuildRemoteFrame(uint16_t node, int code, const uint8_t* value, int count, SCmdItem& out) {
    const int32_t mnemonic = MnemonicCode(code);
    if (mnemonic == -1) return -1;
    const char letters[3] = {static_cast<char>(mnemonic & 0xFF), static_cast<char>((mnemonic >> 8) & 0xFF),
                             static_cast<char>((mnemonic >> 16) & 0xFF)};
    const int length = MakeAPISendFrameRemote(&node, letters, value, count, out.data);
    if (length > 0) out.length = length;
    return length;
}

int CEngine::OnNodeAction(int action, long value) {
    if (!serial.IsOpen()) {
        host.AppendLog(Text(138));
        host.EndSearch();
        host.StopAutoSearch();
        return 2;
    }
    rawMode = 0;
    abortEntry = 1;
    // Import and export queue nothing: a running job goes on.
    std::unique_lock<std::recursive_mutex> job;
    if (action >= NA_SEARCH && action <= NA_FACTORY) {
        job = BeginJobBuild();
        upgradeRunning = false; // the new job replaces an upgrade still entering
    }
    const uint16_t node = static_cast<uint16_t>(value & 0xFFFF);
    switch (action) {
    case NA_SEARCH:
        ClearQueues();
        QueueText("AT+NCD?", PT_NCD, 0);
        QueueText("AT+NWS", PT_NWS, 0);
        PostWorker(WM_CMD_START, LM_AT, 1);
        break;
    case NA_READ:
        remoteNode = node;
        BuildRemoteRead(remoteNode);
        ShowJobProgress(213);
        PostWorker(WM_CMD_START, LM_API, 0);
        host.SetJobRunning(true);
        break;
    case NA_WRITE:
        remoteNode = node;
        BuildRemoteWrite(remoteNode);
        if (!pendingQueue.IsEmpty()) {
            ShowJobProgress(214);
            PostWorker(WM_CMD_START, LM_API, 0);
            host.SetJobRunning(true);
        }
        break;
    case NA_RESTART:
        BuildRemoteRestart(node);
        PostWorker(WM_CMD_START, LM_API, 0);
        break;
    case NA_FACTORY:
        BuildRemoteFactory(node);
        PostWorker(WM_CMD_START, LM_API, 0);
        break;
    case NA_IMPORT:
        host.ImportConfig();
        break;
    case NA_EXPORT:
        host.ExportConfig();
        break;
    default:
        break;
    }
    return 0;
}

void CEngine::BuildRemoteRead(uint16_t node) {
    host.HideLinkKey(true);
    pagesNode = node;
    host.ResetPages();
    ClearQueues();
    apiResults.Clear();
    curWrite = 0;
    // Every parameter from the baud rate to the network key; versions and the link key are not
    // read from a remote module.
    for (int code = PT_IPR; code <= PT_KEY; ++code) {
        SCmdItem record;
        record.type = code;
        if (BuildRemoteFrame(node, code, nullptr, 0, record) > 0) pendingQueue.Push(record);
    }
}

void CEngine::BuildRemoteWrite(uint16_t node) {
    const std::vector<SCmdItem> values = PageValues();
    ClearQueues();
    curWrite = 1;
    for (const SCmdItem& value : values) {
        if (!ValueChanged(apiResults, value)) continue;
        SCmdItem record;
        if (MakeRemoteWriteFrame(node, value, record) > 0) pendingQueue.Push(record);
    }
    if (!pendingQueue.IsEmpty()) {
        SCmdItem save;
        save.type = PT_SAV;
        save.isWrite = 1;
        if (BuildRemoteFrame(node, PT_SAV, nullptr, 0, save) > 0) pendingQueue.Push(save);
    }
}

int CEngine::MakeRemoteWriteFrame(uint16_t node, const SCmdItem& value, SCmdItem& out) {
    if (MnemonicCode(value.type) == -1) return -1;
    out = SCmdItem();
    out.type = value.type;
    out.isWrite = 1;
    const std::string text = value.Text();
    uint8_t bytes[256] = {};
    int count;
    if (value.type == PT_KEY || value.type == PT_TLK) {
        // Two hex digits per byte; an odd last digit is dropped. The text is at most 127 characters.
        count = static_cast<int>(text.size()) / 2;
        HexToBytes(text.c_str(), static_cast<int>(text.size()), bytes);
    } else {
        const unsigned number = static_cast<unsigned>(DecimalValue(text)) & 0xFFFF;
        bytes[0] = number & 0xFF;
        bytes[1] = number >> 8;
        count = 2;
    }
    return BuildRemoteFrame(node, value.type, bytes, count, out);
}

void CEngine::BuildRemoteRestart(uint16_t node) {
    QueueRemoteCommand(node, PT_SRS);
}
void CEngine::BuildRemoteFactory(uint16_t node) {
    QueueRemoteCommand(node, PT_FAC);
}

void CEngine::QueueRemoteCommand(uint16_t node, int code) {
    SCmdItem record;
    record.type = code;
    if (BuildRemoteFrame(node, code, nullptr, 0, record) > 0) pendingQueue.Push(record);
}

namespace {
// Payload of a remote request or reply: node (low byte first), kind, three mnemonic letters, ...
constexpr int kNodeAt = 4, kLettersAt = 7, kShortestReply = 5 + 7;
}

bool CEngine::AnswersRemoteCommand(const uint8_t* frame, int length, int type) {
    if (type == 0 || type != curType || length < kShortestReply || sentQueue.IsEmpty()) return false;
    // The record in flight heads sentQueue: results and time-outs take it off in order.
    const SCmdItem request = sentQueue.Front();
    return request.type == type && request.length >= kShortestReply &&
           std::memcmp(request.data + kNodeAt, frame + kNodeAt, 2) == 0;
}

std::string CEngine::DescribeRemoteReply(const uint8_t* frame, int length) {
    if (length < kShortestReply) return BytesToHex(frame, length, false);
    return Format("0x%04X %.3s", frame[kNodeAt] | (frame[kNodeAt + 1] << 8),
                  reinterpret_cast<const char*>(frame + kLettersAt));
}
