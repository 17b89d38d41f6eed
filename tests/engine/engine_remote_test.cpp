// Remote modules, network search and firmware download against the simulator.
#include "EngineFixture.h"
#include "Texts.h"


TEST_F(EngineTest, RemoteReadBuildsThirtyFourRequests) {
    SCmdItem first;
    {
        CRecordingHost h;
        CUiDispatcher d;
        CEngine e(h, d, STimings::Fast());
        CEngineTestAccess inside(e);
        inside.BuildRemoteRead(0x0001);
        EXPECT_EQ(inside.pendingQueue.GetCount(), 34);
        first = inside.pendingQueue.Front();
        EXPECT_TRUE(h.linkKeyHidden);
        // A value of 4660 goes on the line most significant byte first; a key of 33 digits loses its last.
        SCmdItem out;
        EXPECT_GT(inside.MakeRemoteWriteFrame(1, MakeValueRecord(PT_PID, "4660"), out), 0);
        EXPECT_EQ(out.data[11], 0x12);
        EXPECT_EQ(out.data[12], 0x34);
        EXPECT_EQ(inside.MakeRemoteWriteFrame(1, MakeValueRecord(PT_KEY, std::string(33, 'A')), out), 12 + 16);
        EXPECT_EQ(inside.MakeRemoteWriteFrame(1, MakeValueRecord(PT_SOFT_VERSION, "x"), out), -1);
    }
    EXPECT_EQ(first.type, PT_IPR);
    EXPECT_EQ(first.length, 12);
}

TEST_F(EngineTest, RemoteLoadAndSaveThroughSplitFrames) {
    sim.SetChunking(5);
    sim.SetGarbage(true);
    ASSERT_TRUE(Open());
    const std::vector<uint16_t> nodes = sim.NodeAddresses();
    ASSERT_FALSE(nodes.empty());
    const uint16_t node = nodes[0];
    EXPECT_EQ(engine->OnNodeAction(NA_READ, node), 0);
    ASSERT_TRUE(JobEnds());
    EXPECT_EQ(inside->linkMode, LM_API);
    for (int code = PT_IPR; code <= PT_KEY; ++code) {
        if (code == PT_NCD || code == PT_MID) continue;
        EXPECT_EQ(host.params[code], sim.RemoteParam(node, code)) << FindParam(code)->mnemonic;
    }
    EXPECT_TRUE(host.prompts.empty());

    // Two changed values: exactly two remote writes and the remote save.
    sim.ClearReceived();
    host.params[PT_PID] = "4660";
    host.params[PT_ITV] = "40";
    EXPECT_EQ(engine->OnNodeAction(NA_WRITE, node), 0);
    ASSERT_TRUE(JobEnds());
    EXPECT_EQ(sim.RemoteParam(node, PT_PID), "4660");
    EXPECT_EQ(sim.RemoteParam(node, PT_ITV), "40");
    EXPECT_TRUE(host.Logged(Text(221)));
    EXPECT_TRUE(host.prompts.empty());
}

TEST_F(EngineTest, RemoteFailuresAndCorruptFramesAreReported) {
    ASSERT_TRUE(Open());
    const uint16_t node = sim.NodeAddresses().at(0);
    sim.SetNodeStatus(node, 1);
    engine->OnNodeAction(NA_READ, node);
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 1; }));
    EXPECT_TRUE(host.Logged("*Read PID Failed!"));
    ASSERT_TRUE(JobEnds());

    // A frame with a bad checksum is skipped: its command ends by the reply wait.
    sim.SetNodeStatus(node, 0);
    host.prompts.clear();
    host.log.clear();
    sim.CorruptChecksums(1);
    engine->OnNodeAction(NA_READ, node);
    ASSERT_TRUE(PumpUntil([&] { return host.prompts.size() == 1; }));
    EXPECT_EQ(host.Count("*Read Baudrate Failed!"), 1);
}

TEST_F(EngineTest, NetworkSearchListsEveryNodeOnce) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(engine->OnNodeAction(NA_SEARCH, 0), 0);
    const size_t expected = sim.NodeAddresses().size();
    ASSERT_TRUE(PumpUntil([&] { return host.nodes.size() >= expected; }));
    ui.PumpFor(50);
    EXPECT_EQ(host.nodes.size(), expected);
    EXPECT_EQ(host.ownAddress, sim.LocalAddress());
    EXPECT_TRUE(host.Logged(Text(258)));
    for (const auto& n : host.nodes)
        EXPECT_EQ(n.size(), 4u);
}

TEST_F(EngineTest, NetworkSearchWithSilentModuleEndsAfterThreeAttempts) {
    sim.SetEscapeMode(CSimulator::ESC_SILENT);
    host.configModeIndex = 0; // the search never prompts, whatever the mode
    ASSERT_TRUE(Open());
    inside->displayPacket = 1;
    engine->OnNodeAction(NA_SEARCH, 0);
    ASSERT_TRUE(PumpUntil([&] { return host.Logged(Text(267)); }));
    EXPECT_EQ(host.Count("+++"), 3);
    EXPECT_GE(host.endSearches, 1);
}

TEST_F(EngineTest, NodeActionsNeedAnOpenPort) {
    EXPECT_EQ(engine->OnNodeAction(NA_SEARCH, 0), 2);
    EXPECT_TRUE(host.Logged(Text(138)));
}

TEST_F(EngineTest, BlockFramesOfAnImage) {
    struct SCase {
        size_t size;
        int blocks;
    };
    for (SCase c : {SCase{100, 2}, SCase{64, 1}, SCase{239552, 3743}, SCase{239552 + 640, 3743}}) {
        const auto path = portsDir / "image.bin";
        const std::vector<uint8_t> image = WriteImage(path, c.size);
        inside->imageFile = std::fopen(path.c_str(), "rb");
        SCmdItem record;
        int blocks = 0;
        std::vector<uint8_t> carried;
        for (bool first = true; inside->BuildBlockFrame(first, record) > 0; first = false) {
            ASSERT_EQ(record.length, 71);
            EXPECT_EQ(record.data[4] | record.data[5] << 8, blocks * 16);
            uint8_t fcs = 0;
            for (int i = 1; i < 70; ++i)
                fcs ^= record.data[i];
            EXPECT_EQ(record.data[70], fcs);
            carried.insert(carried.end(), record.data + 6, record.data + 70);
            ++blocks;
        }
        EXPECT_EQ(blocks, c.blocks) << c.size;
        const size_t kept = std::min<size_t>(c.size, 239552);
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + kept, carried.begin())) << c.size;
        EXPECT_TRUE(std::all_of(carried.begin() + kept, carried.end(), [](uint8_t b) { return b == 0xFF; }));
        EXPECT_EQ(inside->imageFile, nullptr);
    }
}

TEST_F(EngineTest, FirmwareDownloadWithAndWithoutRestart) {
    ASSERT_TRUE(Open());
    for (int restart : {1, 0}) {
        const auto path = portsDir / "fw.bin";
        const std::vector<uint8_t> image = WriteImage(path, 64 * 40 + 10);
        host.log.clear();
        engine->OnUpgradeRequest(0, path.string() + "," + std::to_string(restart));
        ASSERT_TRUE(PumpUntil([&] { return host.Logged(Text(273)); }, 10000)) << restart;
        EXPECT_EQ(host.progressPos, host.progressMax);
        EXPECT_EQ(host.progressMax, 42);
        ASSERT_TRUE(JobEnds());
        EXPECT_EQ(host.Logged(Text(220)), restart == 1);
        EXPECT_TRUE(host.Logged(Text(275)));
        std::vector<uint8_t> flash = sim.FlashImage();
        ASSERT_GE(flash.size(), image.size());
        EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
        EXPECT_TRUE(sim.ImageEnabled());
    }
}

TEST_F(EngineTest, UnansweredHandshakeIsReportedEveryTenthTime) {
    sim.DropReplies(1000); // the boot loader never answers
    ASSERT_TRUE(Open());
    const auto path = portsDir / "fw.bin";
    WriteImage(path, 100);
    engine->OnUpgradeRequest(0, path.string() + ",0");
    ASSERT_TRUE(PumpUntil([&] { return host.Count(Text(276)) == 1; }, 3000));
    EXPECT_EQ(inside->handshakeCount, 10u);
    engine->OnJobAbort();
    EXPECT_FALSE(ui.IsTimerRunning(CEngine::kHandshakeTimer));
    EXPECT_FALSE(host.jobRunning);
}

TEST_F(EngineTest, AbortAndHangUpMidTransfer) {
    ASSERT_TRUE(Open());
    sim.SetLatency(5);
    const auto path = portsDir / "fw.bin";
    WriteImage(path, 64 * 400);
    engine->OnUpgradeRequest(0, path.string() + ",0");
    ASSERT_TRUE(PumpUntil([&] { return sim.BlocksReceived() > 20; }, 5000));
    engine->OnJobAbort();
    EXPECT_TRUE(PumpUntil([&] { return inside->pendingQueue.IsEmpty() && !host.jobRunning; }, 1000));
    const int blocks = sim.BlocksReceived();
    ui.PumpFor(100);
    EXPECT_LE(sim.BlocksReceived(), blocks + 1);

    engine->OnUpgradeRequest(0, path.string() + ",0");
    ASSERT_TRUE(PumpUntil([&] { return sim.BlocksReceived() > blocks + 20; }, 5000));
    sim.HangUp();
    EXPECT_TRUE(PumpUntil([&] { return host.portClosed == 1; }, 2000));
    EXPECT_FALSE(engine->IsOpen());
}

// A batch queued the moment the previous job's last reply arrived goes out in its own job, with
// its own entry: a remote load right after a search, and the local load that a successful remote
// factory reset starts while the worker is still in the remote job.
TEST_F(EngineTest, ANewJobNeverRunsInsideThePreviousOne) {
    ASSERT_TRUE(Open());
    engine->OnNodeAction(NA_SEARCH, 0);
    ASSERT_TRUE(PumpUntil([&] { return !host.nodes.empty(); }));
    const uint16_t node = static_cast<uint16_t>(std::stoi(host.nodes[0][0]));
    engine->OnNodeAction(NA_READ, node);
    ASSERT_TRUE(JobEnds());
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(host.params[PT_PID], sim.RemoteParam(node, PT_PID));

    host.log.clear();
    engine->OnNodeAction(NA_FACTORY, node);
    ASSERT_TRUE(PumpUntil([&] { return host.Logged(Text(219)); }));
    ASSERT_TRUE(JobEnds());
    EXPECT_TRUE(host.prompts.empty());
    for (const auto& line : host.log) EXPECT_EQ(line.find(Text(255)), std::string::npos) << line;
    EXPECT_EQ(host.params[PT_PID], sim.LocalParam(PT_PID));
    EXPECT_EQ(host.softVersion, sim.LocalParam(PT_SOFT_VERSION));
}
