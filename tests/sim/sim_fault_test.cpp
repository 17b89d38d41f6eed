// Injected faults and the pseudo-terminal itself: alias, hang-up, chunking, dropped replies,
// corrupted checksums, noise between frames, latency and line rate.

#include "SimTestPort.h"

#include "ParamCatalogue.h"

#include <filesystem>
#include <poll.h>
#include <unistd.h>

using namespace std::chrono;

TEST(SimAlias, CreatedOnStartRemovedOnStop) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("calyra-sim-test-" + std::to_string(getpid())) / "ports";
    CSimulator sim;
    SSimOptions o;
    o.portsDir = dir.string();
    o.aliasNumber = 7;
    std::string error;
    ASSERT_TRUE(sim.Start(o, &error)) << error;
    fs::path link = dir / "COM7";
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).string(), sim.SlavePath());
    sim.Stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    fs::remove_all(dir.parent_path());
}

TEST_F(SimTest, HangUpIsSeenOnTheSlave) {
    ASSERT_TRUE(EnterConfig());
    sim.HangUp();
    pollfd p{port.Fd(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
}

TEST_F(SimTest, ChunkingSplitsRepliesWithoutChangingThem) {
    ASSERT_TRUE(EnterConfig());
    sim.SetChunking(3);
    port.Write("AT+KEY?\r\n");
    auto chunks = port.ReadChunks(EndsAtReply, 2000);
    EXPECT_EQ(Join(chunks), "+KEY:" + sim.LocalParam(PT_KEY) + "\r\nOK\r\n");
    EXPECT_GE(chunks.size(), 3u);
}

TEST_F(SimTest, DroppedReplyThenNormalAgain) {
    ASSERT_TRUE(EnterConfig());
    sim.DropReplies(1);
    port.Write("AT+CHA?\r\n");
    EXPECT_EQ(port.ReadFor(80), "");
    EXPECT_EQ(At("AT+CHA?"), "+CHA:11\r\nOK\r\n");
}

TEST_F(SimTest, CorruptedChecksumIsSkippedByTheProgramsCutter) {
    ASSERT_TRUE(EnterApi());
    uint16_t node = sim.NodeAddresses()[0];
    sim.CorruptChecksums(1);
    SApiResult r{};
    EXPECT_FALSE(Exchange(RemoteFrame(node, "PID"), r, 150));
    ASSERT_TRUE(Exchange(RemoteFrame(node, "CHA"), r));
    EXPECT_EQ(r.type, PT_CHA);
}

TEST_F(SimTest, NoiseBetweenFramesIsSkippedByTheProgramsCutter) {
    ASSERT_TRUE(EnterApi());
    uint16_t node = sim.NodeAddresses()[0];
    sim.SetGarbage(true);
    for (const char* letters : {"PID", "CHA", "TYP"}) {
        SApiResult r{};
        ASSERT_TRUE(Exchange(RemoteFrame(node, letters), r)) << letters;
        EXPECT_EQ(r.success, 1);
    }
}

TEST_F(SimTest, LatencyAndLineRateDelayReplies) {
    ASSERT_TRUE(EnterConfig());
    sim.SetLatency(60);
    auto t0 = steady_clock::now();
    EXPECT_EQ(At("AT+PID?"), "+PID:65535\r\nOK\r\n");
    EXPECT_GE(steady_clock::now() - t0, milliseconds(55));

    sim.SetLatency(0);
    sim.SetLineRate(2400); // 240 bytes per second: 16 bytes take about 67 ms
    t0 = steady_clock::now();
    EXPECT_EQ(At("AT+PID?"), "+PID:65535\r\nOK\r\n");
    EXPECT_GE(steady_clock::now() - t0, milliseconds(60));
}
