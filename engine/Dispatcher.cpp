// The receive dispatcher: what the port received goes to the log, and by link mode into the AT,
// API or upgrade buffer, where complete replies are recognised and handed on.
#include "AtReplyParser.h"
#include "Engine.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"
#include "ReplyValidity.h"
#include "TextUtil.h"

#include <cstring>

int CEngine::OnCommRxChar() {
    if (!serial.IsOpen()) return 0;
    uint8_t chunk[4096];
    const int n = serial.Read(chunk, sizeof chunk, timings.readMs);
    if (n <= 0) return 0;
    bytesRead += n;
    if (displayPacket) LogReceivedPacket(chunk, n);
    if (rawMode) return 0;

    switch (linkMode.load()) {
    case LM_ENTERING:
        AppendChunk(atBuffer, chunk, n);
        // At most one "OK" per chunk, however many it holds.
        if (BufferText(atBuffer).find("OK") != std::string_view::npos) {
            ++okCount;
            ResetBuffer(atBuffer);
            ResetBuffer(apiBuffer);
            replyEvent.Set();
        }
        return 0;
    case LM_AT:
        DispatchAt(chunk, n);
        break;
    case LM_API:
        DispatchApi(chunk, n);
        break;
    case LM_UPGRADE_ENTER:
    case LM_UPGRADE:
        DispatchUpgrade(chunk, n);
        break;
    default:
        break; // LM_IDLE: only logged
    }
    // No typed command in flight: complete an untyped wait. Checked and set under the reply
    // event's lock, which the worker also holds while it starts a command.
    return replyEvent.SetIfIdle(curType) ? 1 : 0;
}

void CEngine::LogReceivedPacket(const uint8_t* bytes, int n) {
    const std::string body =
        hexShow ? BytesToHex(bytes, n, false) : std::string(reinterpret_cast<const char*>(bytes), n);
    host.AppendLog(Format("[Recv COM Data,Size(%d)]", n) + body);
}

void CEngine::DispatchAt(const uint8_t* chunk, int n) {
    AppendChunk(atBuffer, chunk, n);
    SCmdResult result;
    SNwsExtra extra;
    int code = ParseAtReply(atBuffer, SParseState{curType, curWrite}, result, &extra);
    if (code == REPLY_DONE && curWrite == 0 && result.type != PT_NWS && !result.values.empty() &&
        !PlausibleReadValue(result.values[0])) {
        // A garbled reply (a NUL or line break inside, or more than a value can hold) is a failed read.
        DebugTrace("[WARN]", "Reply value of type %d refused (%zu bytes)", int(result.type), result.values[0].size());
        code = REPLY_ERROR;
        result.values.clear();
    }
    if (code == REPLY_ERROR || code == REPLY_DONE || code == REPLY_RECORD) {
        // A partial network-search record after complete ones stays buffered for its rest.
        std::string tail;
        if (extra.keepFrom >= 0) tail = std::string(BufferText(atBuffer).substr(extra.keepFrom));
        ResetBuffer(atBuffer);
        if (!tail.empty()) AppendChunk(atBuffer, tail.data(), static_cast<int>(tail.size()));
    }
    // A complete reply parsed while no typed command was in flight (type 0) belongs to no
    // command: it must neither end nor clear a command the worker starts meanwhile.
    if ((code == REPLY_ERROR || code == REPLY_DONE) && result.type != 0) {
        OnCmdResult(code, result.type);
        replyEvent.Set();
    }
    if (curWrite == 0) {
        ApplyResult(result);
        atResults.Append(result);
        for (const SCmdResult& more : extra.more) {
            ApplyResult(more);
            atResults.Append(more);
        }
    }
}

void CEngine::DispatchApi(const uint8_t* chunk, int n) {
    AppendChunk(apiBuffer, chunk, n);
    while (apiBuffer.readPos < apiBuffer.writePos) {
        SApiResult frame{};
        if (ParseAPIFrame(&apiBuffer, &frame) <= 0) break;
        if (frame.command != 0x6244) continue;
        OnCmdResult(frame.success, frame.type);
        replyEvent.Set();
        SCmdResult result;
        result.type = frame.type;
        for (int i = 0; i < frame.textCount && i < API_TEXT_COUNT; ++i)
            result.values.emplace_back(frame.texts[i], strnlen(frame.texts[i], API_TEXT_SIZE));
        if (curWrite == 0) {
            ApplyResult(result);
            apiResults.Append(result);
        }
    }
}

void CEngine::DispatchUpgrade(const uint8_t* chunk, int n) {
    AppendChunk(upgradeBuffer, chunk, n);
    while (upgradeBuffer.readPos < upgradeBuffer.writePos) {
        SApiResult frame{};
        if (ParseAPIFrame(&upgradeBuffer, &frame) <= 0) break;
        OnUpgradeReply(frame);
    }
}
