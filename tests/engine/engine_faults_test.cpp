// The engine against the simulator on a line with the faults of real modules: answers later than
// the reply wait, repeated "OK", answers still due when a new job starts, a port that vanishes
// while the retry prompt is open, and an abort racing the worker's take of the next record.
#include "EngineFixture.h"
#include "Texts.h"

#include <chrono>

using Clock = std::chrono::steady_clock;

namespace {
int SuccessLines(const CRecordingHost& host) {
    int n = 0;
    for (const auto& l : host.log)
        n += l.ends_with(Text(256));
    return n;
}
} // namespace

// Every answer comes after the reply wait. Each command fails; none takes the late answer of the
// one before (the boot version field never shows the soft version).
TEST_F(EngineTest, AnswersLaterThanTheReplyWaitAreNeverCreditedToTheNextCommand) {
    STimings t = STimings::Fast();
    t.escapeMs = 400; // the escape's answers are late too, but within its wait
    t.replyMs = 150;
    t.lateGuardMs = 200;
    engine = std::make_unique<CEngine>(host, ui, t);
    ASSERT_TRUE(Open());
    sim.SetLatency(250);
    for (int code : {PT_SOFT_VERSION, PT_BOOT_VERSION, PT_PID}) {
        SCmdItem r;
        ASSERT_TRUE(MakeTextCommand(FindParam(code)->readCmd, code, 0, r));
        inside->pendingQueue.Push(r);
    }
    inside->curWrite = 0;
    inside->PostWorker(WM_CMD_START, LM_AT, 0);
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 1; }));
    EXPECT_TRUE(host.Logged("*Read Soft Version Failed!"));
    EXPECT_TRUE(host.Logged("*Read Boot Version Failed!"));
    EXPECT_TRUE(host.Logged("*Read PID Failed!"));
    EXPECT_EQ(SuccessLines(host), 0);
    EXPECT_EQ(host.bootVersion, "");
    EXPECT_EQ(host.params.count(PT_PID), 0u);
}

// The module repeats the "OK" of each escape: loads and saves, and Factory with its reload,
// report what happened, and the version fields hold the versions.
TEST_F(EngineTest, RepeatedEscapeOkNeverAnswersACommand) {
    SFaultProfile p = options.faults;
    p.doubleOk = true;
    sim.SetFaultProfile(p);
    sim.FailReads(PT_NID, true);
    host.promptAnswer = MB_RESULT_NO;
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    for (int round = 0; round < 3; ++round) {
        host.log.clear();
        if (round < 2)
            engine->LoadParams();
        else
            engine->FactoryReset();
        ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == static_cast<size_t>(round + 1); }));
        ASSERT_TRUE(JobEnds());
        EXPECT_EQ(host.softVersion, sim.LocalParam(PT_SOFT_VERSION)) << round;
        EXPECT_EQ(host.bootVersion, sim.LocalParam(PT_BOOT_VERSION)) << round;
        EXPECT_EQ(host.params[PT_PID], sim.LocalParam(PT_PID)) << round;
        EXPECT_TRUE(host.Logged("*Read Node Address Failed!")) << round;
        EXPECT_EQ(SuccessLines(host), 35) << round;
    }
    // A write the module refuses stays a failure.
    host.log.clear();
    host.params[PT_CHA] = "99";
    host.params[PT_PID] = "4660";
    engine->SaveParams();
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 4; }));
    ASSERT_TRUE(JobEnds());
    EXPECT_TRUE(host.Logged("*Write Physical Channel Failed!"));
    EXPECT_TRUE(host.Logged("*Write PID Success!"));
    EXPECT_EQ(sim.LocalParam(PT_PID), "4660");
}

// An abort while the module's answer is on its way, and a new load at once: the answer arrives
// during the new job's escape and answers neither the escape nor a command.
TEST_F(EngineTest, AnswerStillDueAfterAnAbortAnswersNothingInTheNextJob) {
    STimings t = STimings::Fast();
    t.escapeMs = 300; // the slow module's escape answers come within the escape wait
    engine = std::make_unique<CEngine>(host, ui, t);
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    sim.SetLatency(60);
    engine->LoadParams();
    ASSERT_TRUE(PumpUntil([&] { return inside->curType == PT_SOFT_VERSION; }));
    engine->OnJobAbort();
    sim.SetLatency(0);
    host.log.clear();
    const int escapesBefore = host.Count("+++");
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    EXPECT_EQ(host.softVersion, sim.LocalParam(PT_SOFT_VERSION));
    EXPECT_EQ(host.bootVersion, sim.LocalParam(PT_BOOT_VERSION));
    EXPECT_EQ(SuccessLines(host), 36);
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(host.Count("+++") - escapesBefore, 2);
}

// The port vanishes while the retry prompt is open: Yes starts nothing, no progress is left
// shown, and the window can close.
TEST_F(EngineTest, RetryAnsweredAfterThePortVanishedStartsNothing) {
    sim.FailReads(PT_PID, true);
    host.promptAnswer = MB_RESULT_YES;
    host.onPrompt = [&] {
        sim.HangUp();
        PumpUntil([&] { return host.portClosed == 1; }, 2000);
    };
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 1; }));
    ui.PumpFor(50);
    EXPECT_EQ(host.portClosed, 1);
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_FALSE(host.progressShown);
    EXPECT_FALSE(host.jobRunning);
    EXPECT_TRUE(inside->pendingQueue.IsEmpty());
}

// Aborts racing the worker's take of the next record: the worker never sends an empty record
// (which would wait out a whole reply time).
TEST_F(EngineTest, AbortRacingTheWorkerNeverSendsAnEmptyRecord) {
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    const long before = sim.LineBytes();
    for (int round = 0; round < 40; ++round) {
        engine->LoadParams();
        ui.PumpFor(round % 7);
        engine->OnJobAbort();
    }
    engine->LoadParams();
    ASSERT_TRUE(JobEnds(20000));
    EXPECT_GT(sim.LineBytes(), before);
    for (const auto& l : host.log)
        EXPECT_NE(l, "Send:") << "an empty record went out";
    EXPECT_EQ(host.softVersion, sim.LocalParam(PT_SOFT_VERSION));
}
