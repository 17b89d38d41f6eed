// The engine against the simulator on a pseudo-terminal: configuration-state entry, local
// batches, failures, abort, close and hang-up.
#include "EngineFixture.h"
#include "Texts.h"

#include <algorithm>
#include <chrono>

using Clock = std::chrono::steady_clock;

namespace {
int EscapesSent(const CRecordingHost& host) {
    return host.Count("+++");
}
} // namespace

TEST_F(EngineTest, EntryNeedsTwoOkChunksAndCountsOneOkPerChunk) {
    struct SCase {
        CSimulator::EEscape escape;
        int escapes;
    };
    for (SCase c : {SCase{CSimulator::ESC_TWO_CHUNKS, 2}, SCase{CSimulator::ESC_ONE_CHUNK, 2}}) {
        RestartSim();
        sim.SetEscapeMode(c.escape);
        ASSERT_TRUE(Open());
        inside->displayPacket = 1;
        inside->PostWorker(WM_CMD_START, LM_AT, 0);
        EXPECT_TRUE(PumpUntil([&] { return inside->linkMode == LM_AT; }));
        EXPECT_EQ(EscapesSent(host), c.escapes) << c.escape;
        EXPECT_EQ(inside->configEntered, 1);
        engine->ClosePort();
        host.log.clear();
    }
}

TEST_F(EngineTest, SilentModuleFailsAfterThreeAttemptsWithCustomModeOrNoPrompt) {
    sim.SetEscapeMode(CSimulator::ESC_SILENT);
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    for (int noPrompt : {0, 1}) {
        host.log.clear();
        host.configModeIndex = noPrompt ? 0 : 1;
        inside->PostWorker(WM_CMD_START, LM_AT, noPrompt);
        ASSERT_TRUE(PumpUntil([&] { return host.Logged(Text(267)); }));
        EXPECT_EQ(EscapesSent(host), 3);
        EXPECT_FALSE(host.Logged(Text(222)));
        EXPECT_EQ(inside->linkMode, LM_ENTERING);
    }
}

TEST_F(EngineTest, DefaultModeRetriesUntilAborted) {
    sim.SetEscapeMode(CSimulator::ESC_SILENT);
    host.configModeIndex = 0;
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    inside->PostWorker(WM_CMD_START, LM_AT, 0);
    ASSERT_TRUE(PumpUntil([&] { return EscapesSent(host) >= 6; }));
    EXPECT_TRUE(host.Logged(Text(222)));
    EXPECT_FALSE(host.Logged(Text(267)));
    engine->OnJobAbort();
    EXPECT_TRUE(PumpUntil([&] { return host.Logged(Text(267)); }, 1000));
}

TEST_F(EngineTest, LoadReadsEveryParameterThroughSplitChunks) {
    sim.SetChunking(3);
    sim.SetLocalParam(PT_PID, "4660");
    ASSERT_TRUE(Open());
    engine->LoadParams();
    EXPECT_TRUE(host.jobRunning);
    ASSERT_TRUE(JobEnds());
    for (int code = PT_IPR; code <= PT_TLK; ++code) {
        if (code == PT_NCD) continue;
        EXPECT_EQ(host.params[code], sim.LocalParam(code)) << FindParam(code)->mnemonic;
    }
    EXPECT_EQ(host.softVersion, sim.LocalParam(PT_SOFT_VERSION));
    EXPECT_TRUE(host.Logged("*Read PID Success!"));
    EXPECT_FALSE(host.progressShown);
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(inside->sentQueue.GetCount(), 0);
}

TEST_F(EngineTest, FailedReadsArePromptedAndRetriedOnYes) {
    sim.FailReads(PT_PID, true);
    sim.FailReads(PT_TYP, true);
    host.promptAnswer = MB_RESULT_YES;
    host.onPrompt = [&] {
        // The retry sends exactly the two failed reads again, answered this time.
        sim.FailReads(PT_PID, false);
        sim.FailReads(PT_TYP, false);
        sim.ClearReceived();
    };
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    engine->LoadParams();
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 1; }));
    EXPECT_EQ(host.prompts[0], Text(209));
    EXPECT_TRUE(host.Logged("*Read PID Failed!"));
    EXPECT_TRUE(host.Logged("*Read Node Type Failed!"));
    ASSERT_TRUE(JobEnds());
    std::vector<std::string> retried;
    for (const auto& c : sim.ReceivedCommands())
        if (c.rfind("AT+", 0) == 0) retried.push_back(c);
    EXPECT_EQ(retried, (std::vector<std::string>{"AT+PID?", "AT+TYP?"}));
    // The retry enters with two escapes, each answered by its own "OK".
    const auto received = sim.ReceivedCommands();
    EXPECT_EQ(std::count(received.begin(), received.end(), "+++"), 2);
    EXPECT_EQ(host.params[PT_PID], sim.LocalParam(PT_PID));
}

TEST_F(EngineTest, UnansweredCommandFailsAfterTheReplyWait) {
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    sim.MuteCommands("AT+PID=", true);
    host.params[PT_PID] = "777";
    const auto start = Clock::now();
    engine->SaveParams();
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 1; }));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, inside->timings.replyMs);
    EXPECT_EQ(host.prompts[0], Text(210));
    EXPECT_TRUE(host.Logged("*Write PID Failed!"));
}

// Replies in pieces of up to 3 bytes leave entries without values in atResults: a written value
// still counts as unchanged for the next save.
TEST_F(EngineTest, SaveSendsOnlyChangedValuesThenSaves) {
    sim.SetChunking(3);
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    sim.ClearReceived();
    // Nothing changed: nothing is sent and nothing is shown.
    engine->SaveParams();
    EXPECT_FALSE(host.jobRunning);
    ui.PumpFor(50);
    EXPECT_TRUE(sim.ReceivedCommands().empty());
    // One value changed, one differing only in letter case.
    host.params[PT_PID] = "4660";
    std::string key = host.params[PT_KEY];
    for (char& ch : key)
        ch = static_cast<char>(tolower(ch));
    host.params[PT_KEY] = key;
    engine->SaveParams();
    ASSERT_TRUE(JobEnds());
    std::vector<std::string> sent;
    for (const auto& c : sim.ReceivedCommands())
        if (c.rfind("AT+", 0) == 0) sent.push_back(c);
    EXPECT_EQ(sent, (std::vector<std::string>{"AT+PID=4660", "AT+SAV"}));
    EXPECT_EQ(sim.LocalParam(PT_PID), "4660");
    EXPECT_TRUE(host.Logged(Text(221)));
    // The written value now counts as unchanged.
    sim.ClearReceived();
    engine->SaveParams();
    EXPECT_FALSE(host.jobRunning);
    ui.PumpFor(50);
    EXPECT_TRUE(sim.ReceivedCommands().empty());
}

// Abort during a wait releases the worker at once: a new job's escape follows long before the
// reply wait of the aborted command would have ended, and the aborted command gets no status.
TEST_F(EngineTest, AbortReleasesTheWaitOfTheCommandInFlight) {
    ASSERT_TRUE(Open());
    sim.MuteCommands("AT+VER", true); // the first read of the load stays unanswered
    engine->LoadParams();
    ASSERT_TRUE(PumpUntil([&] { return inside->curType == PT_SOFT_VERSION; }));
    ui.PumpFor(20);
    sim.ClearReceived();
    const auto start = Clock::now();
    engine->OnJobAbort();
    EXPECT_FALSE(host.jobRunning);
    engine->FactoryReset(); // queued behind the aborted job: sent once the worker is free
    ASSERT_TRUE(PumpUntil([&] {
        for (const auto& c : sim.ReceivedCommands())
            if (c == "AT+FAC") return true;
        return false;
    }));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_LT(ms, inside->timings.replyMs / 2);
    EXPECT_FALSE(host.Logged("*Read Soft Version Failed!"));
    EXPECT_FALSE(host.Logged("*Read Soft Version Success!"));
}

TEST_F(EngineTest, CloseMidJobAndHangUpLeaveNoWorkerBehind) {
    ASSERT_TRUE(Open());
    sim.SetLatency(10);
    engine->LoadParams();
    ASSERT_TRUE(PumpUntil([&] { return host.log.size() > 2; }));
    const auto start = Clock::now();
    engine->ClosePort();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 1000);
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_EQ(inside->linkMode, LM_IDLE);
    EXPECT_EQ(inside->curType, 0);
    EXPECT_TRUE(inside->sentQueue.IsEmpty());

    // Reopen, start a job, and pull the plug.
    sim.SetLatency(0);
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(PumpUntil([&] { return host.log.size() > 2; }));
    sim.HangUp();
    ASSERT_TRUE(PumpUntil([&] { return host.portClosed == 1; }, 2000));
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_FALSE(host.jobRunning);
    EXPECT_EQ(host.log.back().find("vanished") != std::string::npos, true) << host.log.back();
}

TEST_F(EngineTest, StatusLinesOfCommands) {
    struct SCase {
        int type, isWrite, result;
        std::string line;
        int returned;
    };
    const SCase cases[] = {
        {PT_PID, 0, 1, "*Read PID Success!", 1},
        {PT_DM0, 1, 0, "*Write IO0 Work Mode Failed!", 1},
        {PT_PID, 0, 2, "*Read PID", 1},
        {PT_NCD, 0, 0, "", 0},
        {PT_SAV, 1, 0, Text(218), 0},
        {PT_SRS, 0, 1, Text(220), 0},
        {PT_UPGRADE_BLOCK, 0, 1, Text(272), 0},
    };
    for (const SCase& c : cases) {
        host.log.clear();
        inside->curWrite = c.isWrite;
        SCmdItem record;
        record.type = c.type;
        EXPECT_EQ(inside->ReportStatus(record, c.result), c.returned) << c.type;
        EXPECT_EQ(host.log.empty() ? std::string() : host.log[0], c.line) << c.type;
    }
}

// The worker waits in a synchronous call to the window (the result of a command that timed out,
// whose prompt is open) while the window closes the port, as a vanished device does.
TEST_F(EngineTest, CloseWhileTheWorkerWaitsForTheWindowDoesNotHang) {
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    sim.MuteCommands("AT+PID=", true);
    sim.MuteCommands("AT+SAV", true);
    host.params[PT_PID] = "777";
    long closeMs = -1;
    host.onPrompt = [&] {
        const auto start = Clock::now();
        engine->ClosePort();
        closeMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    engine->SaveParams();
    ASSERT_TRUE(PumpUntil([&] { return closeMs >= 0; }));
    EXPECT_LT(closeMs, 500);
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_EQ(host.prompts.size(), 1u);
}
