// The receive dispatcher: what the port received goes to the log, and by link mode into the AT,
// API or upgrade buffer, where complete replies are recognised and handed on.
#include "AtReplyParser.h"
#include "Engine.h"
#include "RecvBuffer.h"
#include "TextUtil.h"
#include "Texts.h"

#include <chrono>
#include <cstring>

int CEngine::OnCommRxChar() {
    if (!serial.IsOpen()) return 0;
    uint8_t chunk[4096];
    const int n = serial.Read(chunk, sizeof chunk, timings.readMs);
    if (n <= 0) return 0;
    return DispatchChunk(chunk, n);
}

int CEngine::DispatchChunk(const uint8_t* chunk, int n) {
    if (n <= 0) return 0;
    lastRxNs = std::chrono::steady_clock::now().time_since_epoch().count();
    if (displayPacket) LogReceivedPacket(chunk, n);
    if (rawMode) return 0;

    switch (linkMode.load()) {
    case LM_ENTERING:
        AppendChunk(atBuffer, chunk, n);
        // An answer with a value or text before its "OK" belongs to an earlier command.
        while (const int stale = StaleReplyLength(BufferText(atBuffer), kAwaitBareOk)) {
            AppendLog(Format(Text(TXT_LATE_REPLY).c_str(), OneLine(BufferText(atBuffer).substr(0, stale)).c_str()));
            DropFront(atBuffer, stale);
        }
        // At most one "OK" per chunk, however many it holds, and only for a "+++" or "AT+API"
        // written and not answered yet: any other belongs to something earlier.
        if (BufferText(atBuffer).find("OK") != std::string_view::npos) {
            ResetBuffer(atBuffer);
            ResetBuffer(apiBuffer);
            int owed = answersOwed.load();
            while (owed > 0 && !answersOwed.compare_exchange_weak(owed, owed - 1)) {
            }
            if (owed <= 0) {
                AppendLog(Format(Text(TXT_LATE_REPLY).c_str(), "OK"));
                return 0;
            }
            ++okCount;
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
    // Text buffered for an earlier command never completes the one written since.
    const unsigned command = commandSerial.load();
    if (command != atBufferCommand) {
        ResetBuffer(atBuffer);
        atBufferCommand = command;
    }
    AppendChunk(atBuffer, chunk, n);
    for (bool firstPass = true;; firstPass = false) {
        const SParseState state{curType, curWrite};
        // Late or repeated answers of earlier commands at the front are dropped one by one.
        while (const int stale = StaleReplyLength(BufferText(atBuffer), state)) {
            AppendLog(Format(Text(TXT_LATE_REPLY).c_str(), OneLine(BufferText(atBuffer).substr(0, stale)).c_str()));
            DropFront(atBuffer, stale);
        }
        SCmdResult result;
        SNwsExtra extra;
        const int code = ParseAtReply(atBuffer, state, result, &extra);
        if (code == REPLY_INCOMPLETE && !firstPass) return;
        if (code == REPLY_ERROR || code == REPLY_DONE || code == REPLY_RECORD) {
            ResetBuffer(atBuffer);
            // Around search records, a reply still arriving and a partial record stay buffered.
            if (!extra.rest.empty()) AppendChunk(atBuffer, extra.rest.data(), static_cast<int>(extra.rest.size()));
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
        // What stayed buffered around search records may complete a reply of its own.
        if (extra.rest.empty()) return;
    }
}

void CEngine::DispatchApi(const uint8_t* chunk, int n) {
    AppendChunk(apiBuffer, chunk, n);
    while (apiBuffer.readPos < apiBuffer.writePos) {
        uint8_t raw[256] = {};
        const int length = ParseAPIFrame1(&apiBuffer, raw);
        if (length <= 0) break;
        SApiResult frame{};
        ParseAPIFrame2(raw, length, &frame);
        if (frame.command != 0x6244) continue;
        // Only the answer of the node and parameter in flight completes the command; a late
        // answer to an earlier request, or one too short to name its parameter, changes nothing.
        if (!AnswersRemoteCommand(raw, length, frame.type)) {
            AppendLog(Format(Text(TXT_LATE_REPLY).c_str(), DescribeRemoteReply(raw, length).c_str()));
            continue;
        }
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
