// The receive dispatcher: what the port received goes to the log, and by link mode into the AT,
// API or upgrade buffer, where complete replies are recognised and handed on.
#include "AtReplyParser.h"
#include "Engine.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"
#include "ReplyValidity.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>
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
    // The wait these bytes may answer: a wait the worker begins while they are handled (the next
    // job, started by a reply's result handler) is not theirs.
    rxGeneration = replyEvent.Generation();
    lastRxNs = std::chrono::steady_clock::now().time_since_epoch().count();
    if (displayPacket) LogReceivedPacket(chunk, n);
    if (rawMode) return 0;

    switch (linkMode.load()) {
    case LM_ENTERING:
        AppendAtText(chunk, n);
        // An answer with a value or text before its "OK" belongs to an earlier command.
        while (const int stale = StaleReplyLength(BufferText(atBuffer), kAwaitBareOk)) {
            AppendLog(FormatText(TXT_LATE_REPLY, {OneLine(BufferText(atBuffer).substr(0, stale))}));
            DropFront(atBuffer, stale);
        }
        // At most one "OK" per chunk, however many it holds, and only for a "+++" or "AT+API"
        // written and not answered yet: any other belongs to something earlier.
        if (BufferText(atBuffer).find("OK") != std::string_view::npos) {
            DiscardAtText();
            ResetBuffer(apiBuffer);
            int owed = answersOwed.load();
            while (owed > 0 && !answersOwed.compare_exchange_weak(owed, owed - 1)) {
            }
            if (owed <= 0) {
                AppendLog(FormatText(TXT_LATE_REPLY, {"OK"}));
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
    return replyEvent.SetIfIdle(curType, rxGeneration) ? 1 : 0;
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
        DiscardAtText();
        atBufferCommand = command;
    }
    AppendAtText(chunk, n);
    for (bool firstPass = true;; firstPass = false) {
        const SParseState state{curType, curWrite};
        // Late or repeated answers of earlier commands at the front are dropped one by one.
        while (const int stale = StaleReplyLength(BufferText(atBuffer), state)) {
            AppendLog(FormatText(TXT_LATE_REPLY, {OneLine(BufferText(atBuffer).substr(0, stale))}));
            DropFront(atBuffer, stale);
        }
        SCmdResult result;
        SNwsExtra extra;
        int code = ParseAtReply(atBuffer, state, result, &extra);
        if (code == REPLY_INCOMPLETE && !firstPass) return;
        if (code == REPLY_DONE && state.curWrite == 0 && result.type != PT_NWS && !result.values.empty() &&
            !PlausibleReadValue(result.values[0])) {
            // A garbled reply (a NUL or line break inside, or more than a value can hold) is a failed read.
            DebugTrace("[WARN]", "Reply value of type %d refused (%zu bytes)", int(result.type),
                       result.values[0].size());
            code = REPLY_ERROR;
            result.values.clear();
        }
        if (code == REPLY_ERROR || code == REPLY_DONE || code == REPLY_RECORD) {
            if (extra.rest.empty()) {
                DiscardAtText();
            } else {
                // Around search records, a reply still arriving and a partial record stay buffered.
                ResetBuffer(atBuffer);
                AppendChunk(atBuffer, extra.rest.data(), static_cast<int>(extra.rest.size()));
            }
        }
        // A complete reply parsed while no typed command was in flight (type 0) belongs to no
        // command: it must neither end nor clear a command the worker starts meanwhile.
        if ((code == REPLY_ERROR || code == REPLY_DONE) && result.type != 0) {
            OnCmdResult(code, result.type);
            AnswerWait();
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

void CEngine::DiscardAtText() {
    const std::string_view text = BufferText(atBuffer);
    const size_t lineEnd = text.find_last_of("\r\n");
    const std::string_view last = lineEnd == std::string_view::npos ? text : text.substr(lineEnd + 1);
    // An empty buffer leaves a line still being dropped as it is.
    if (!text.empty()) skipAtLine = !last.empty() && last != "OK" && last != "ERROR";
    ResetBuffer(atBuffer);
}

void CEngine::AppendAtText(const uint8_t* chunk, int n) {
    if (skipAtLine) {
        const uint8_t* end = chunk + n;
        const uint8_t* lineEnd = std::find_if(chunk, end, [](uint8_t c) { return c == '\r' || c == '\n'; });
        if (lineEnd == end) return; // still the rest of the line dropped
        skipAtLine = false;
        n = static_cast<int>(end - lineEnd);
        chunk = lineEnd;
        while (n > 0 && (*chunk == '\r' || *chunk == '\n')) {
            ++chunk;
            --n;
        }
        if (n == 0) return;
    }
    AppendChunk(atBuffer, chunk, n);
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
            AppendLog(FormatText(TXT_LATE_REPLY, {DescribeRemoteReply(raw, length)}));
            continue;
        }
        OnCmdResult(frame.success, frame.type);
        AnswerWait();
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
