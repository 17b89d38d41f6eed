#pragma once

// Test-only access to the engine's private state and steps, by their documented names. The
// engine names this class its friend; product code never includes this header.
#include "Engine.h"

class CEngineTestAccess {
  public:
    explicit CEngineTestAccess(CEngine& engine)
        : linkMode(engine.linkMode), curType(engine.curType), curWrite(engine.curWrite),
          configEntered(engine.configEntered), displayPacket(engine.displayPacket), rawMode(engine.rawMode),
          commandSerial(engine.commandSerial), answersOwed(engine.answersOwed), replyEvent(engine.replyEvent), pendingQueue(engine.pendingQueue),
          sentQueue(engine.sentQueue), failedQueue(engine.failedQueue), remoteNode(engine.remoteNode),
          imageFile(engine.imageFile), handshakeCount(engine.handshakeCount), backupValues(engine.backupValues), timings(engine.timings),
          engine(engine) {}

    // So that a holder can hand out a fresh accessor by value: holder->linkMode.
    CEngineTestAccess* operator->() { return this; }

    std::atomic<int>& linkMode;
    std::atomic<int>& curType;
    std::atomic<int>& curWrite;
    std::atomic<int>& configEntered;
    std::atomic<int>& displayPacket;
    std::atomic<int>& rawMode;
    std::atomic<unsigned>& commandSerial;
    std::atomic<int>& answersOwed;
    CReplyEvent& replyEvent;
    CCmdQueue& pendingQueue;
    CCmdQueue& sentQueue;
    CCmdQueue& failedQueue;
    uint16_t& remoteNode;
    std::FILE*& imageFile;
    uint32_t& handshakeCount;
    std::vector<SCmdItem>& backupValues; // the download transaction's backup
    const STimings& timings;

    void PostWorker(int message, int wParam = 0, int lParam = 0) { engine.PostWorker(message, wParam, lParam); }
    int DispatchChunk(const uint8_t* chunk, int n) { return engine.DispatchChunk(chunk, n); }
    int OnCmdResult(int result, int code) { return engine.OnCmdResult(result, code); }
    int ReportStatus(const SCmdItem& record, int result) { return engine.ReportStatus(record, result); }
    int BuildBlockFrame(bool first, SCmdItem& record) { return engine.BuildBlockFrame(first, record); }
    void BuildRemoteRead(uint16_t node) { engine.BuildRemoteRead(node); }
    int MakeRemoteWriteFrame(uint16_t node, const SCmdItem& value, SCmdItem& out) {
        return engine.MakeRemoteWriteFrame(node, value, out);
    }

  private:
    CEngine& engine;
};
