// Feeds the engine's own receive dispatcher: chunks in every link mode, with commands in flight
// as the worker starts them and time-outs as the worker reports them. It traps when a result is
// credited to a command that the bytes received since it was written do not answer: an AT read
// of a key without "+KEY" (or "ERROR"), a command without "OK" or "ERROR", a remote request
// without a frame naming its node and mnemonic; and when a page value changes without a result.
#include "EngineTestAccess.h"
#include "ParamCatalogue.h"
#include "RecordingHost.h"

#include <cstring>
#include <map>
#include <string>

namespace {
struct SCommand {
    int type, isWrite;
    bool remote;
};
constexpr SCommand kCommands[] = {
    {PT_SOFT_VERSION, 0, false}, {PT_BOOT_VERSION, 0, false}, {PT_PID, 0, false}, {PT_CHA, 0, false},
    {PT_KEY, 0, false},          {PT_PID, 1, false},          {PT_SAV, 1, false}, {PT_FAC, 0, false},
    {PT_NWS, 0, false},          {PT_PID, 0, true},           {PT_CHA, 0, true},  {PT_MID, 0, true},
    {PT_PID, 1, true},           {PT_SAV, 1, true},
};

// The fuzzer's bytes in use, each read at most once.
struct SReader {
    const uint8_t* data;
    size_t size, pos = 0;
    bool More() const { return pos < size; }
    uint8_t Byte() { return pos < size ? data[pos++] : 0; }
};

SCmdItem MakeRecord(const SCommand& c, uint16_t node) {
    SCmdItem r;
    const SParamInfo* info = FindParam(c.type);
    if (!c.remote) {
        const std::string text = c.isWrite && info->writePrefix ? std::string(info->writePrefix) + "1" : info->readCmd;
        MakeTextCommand(text, c.type, c.isWrite, r);
        return r;
    }
    r.type = c.type;
    r.isWrite = c.isWrite;
    const int32_t m = MnemonicCode(c.type);
    const char letters[3] = {static_cast<char>(m & 0xFF), static_cast<char>((m >> 8) & 0xFF),
                             static_cast<char>((m >> 16) & 0xFF)};
    const uint8_t value[2] = {0, 1};
    r.length = MakeAPISendFrameRemote(&node, letters, c.isWrite ? value : nullptr, c.isWrite ? 2 : 0, r.data);
    return r;
}

// The bytes received since the command was written hold an answer of its kind.
bool Answers(const SCommand& c, const SCmdItem& r, const std::string& since) {
    if (c.remote) {
        for (size_t i = 0; i + 6 <= since.size(); ++i)
            if (static_cast<uint8_t>(since[i]) == r.data[4] && static_cast<uint8_t>(since[i + 1]) == r.data[5] &&
                std::memcmp(since.data() + i + 3, r.data + 8, 3) == 0)
                return true;
        return false;
    }
    if (since.find("ERROR") != std::string::npos) return true;
    const SParamInfo* info = FindParam(c.type);
    if (c.type == PT_NWS) return since.find("+NWS:") != std::string::npos;
    if (!c.isWrite && c.type >= PT_IPR && c.type <= PT_TLK) return since.find(std::string("+") + info->mnemonic) != std::string::npos;
    return since.find("OK") != std::string::npos;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SReader in{data, size};
    CRecordingHost host;
    CUiDispatcher ui;
    ui.BindToCurrentThread();
    CEngine product(host, ui, STimings::Fast());
    CEngineTestAccess engine(product);
    engine.linkMode = in.Byte() % 6;
    SCommand current{};
    SCmdItem record;
    std::string since;
    bool inFlight = false;
    while (in.More()) {
        switch (in.Byte() % 4) {
        case 0: { // the worker writes the next command
            // Commands go out in the AT and API exchanges; the other modes only receive.
            if (inFlight || (engine.linkMode != LM_AT && engine.linkMode != LM_API)) break;
            const SCommand& c = kCommands[in.Byte() % std::size(kCommands)];
            if (c.remote != (engine.linkMode == LM_API)) break;
            const uint16_t node = static_cast<uint16_t>(in.Byte() | in.Byte() << 8);
            current = c;
            record = MakeRecord(c, node);
            engine.curWrite = c.isWrite;
            ++engine.commandSerial;
            engine.sentQueue.Push(record);
            engine.replyEvent.BeginCommand(c.type, c.isWrite, engine.curType, engine.curWrite);
            since.clear();
            inFlight = true;
            break;
        }
        case 1: { // a chunk arrives
            uint8_t chunk[64];
            const int n = 1 + in.Byte() % 64;
            for (int i = 0; i < n; ++i)
                chunk[i] = in.Byte();
            since.append(reinterpret_cast<const char*>(chunk), static_cast<size_t>(n));
            const std::map<int, std::string> before = host.params;
            const int sentBefore = engine.sentQueue.GetCount();
            engine.DispatchChunk(chunk, n);
            const bool credited = engine.sentQueue.GetCount() < sentBefore;
            if (credited && (!inFlight || !Answers(current, record, since))) __builtin_trap();
            if (!credited && host.params != before && engine.linkMode != LM_UPGRADE &&
                engine.linkMode != LM_UPGRADE_ENTER)
                __builtin_trap();
            if (credited) inFlight = false;
            break;
        }
        case 2: // the worker's wait times out
            if (inFlight) engine.OnCmdResult(0, engine.curType);
            inFlight = false;
            break;
        case 3: // an escape goes out (the entry counts its "OK")
            ++engine.answersOwed;
            break;
        }
        if (engine.sentQueue.IsEmpty()) inFlight = false;
    }
    return 0;
}
