// Injected faults and the pseudo-terminal itself: alias, hang-up, chunking, dropped replies,
// corrupted checksums, noise between frames, latency and line rate.

#include "SimTestPort.h"

#include "ParamCatalogue.h"

#include <algorithm>
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

TEST(SimFaultProfiles, NamesAndTheirFaults) {
    struct SCase {
        const char* name;
        int chunkMax, lateEvery;
        bool stray, doubleOk;
    };
    const SCase cases[] = {
        {"clean", 0, 0, false, false},  {"split", 3, 0, false, false}, {"late", 0, 8, false, false},
        {"stray", 0, 0, true, false},   {"double-ok", 0, 0, false, true}, {"rough", 3, 0, true, true},
        {"hostile", 3, 8, true, true},
    };
    ASSERT_EQ(FaultProfileNames().size(), std::size(cases));
    for (const SCase& c : cases) {
        SFaultProfile p;
        ASSERT_TRUE(FaultProfileByName(c.name, p)) << c.name;
        EXPECT_EQ(p.chunkMax, c.chunkMax) << c.name;
        EXPECT_EQ(p.lateEvery, c.lateEvery) << c.name;
        EXPECT_EQ(p.strayStarts, c.stray) << c.name;
        EXPECT_EQ(p.doubleOk, c.doubleOk) << c.name;
    }
    SFaultProfile p;
    EXPECT_FALSE(FaultProfileByName("Rough", p));
    setenv("CALYRA_SIM_FAULTS", "bumpy", 1);
    std::string error;
    EXPECT_FALSE(FaultProfileFromEnvironment(p, &error));
    EXPECT_NE(error.find("bumpy"), std::string::npos);
    unsetenv("CALYRA_SIM_FAULTS");
    EXPECT_TRUE(FaultProfileFromEnvironment(p, &error));
    EXPECT_FALSE(p.Any());
}

TEST_F(SimTest, LateRepliesHoldBackWhatFollows) {
    SFaultProfile late;
    late.lateEvery = 1;
    late.lateMs = 120;
    ASSERT_TRUE(EnterConfig());
    sim.SetFaultProfile(late);
    auto t0 = steady_clock::now();
    port.Write("AT+PID?\r\nAT+CHA?\r\n");
    EXPECT_EQ(port.ReadUntil([](const std::string& t) { return t.find("+CHA") != std::string::npos && EndsAtReply(t); }),
              "+PID:65535\r\nOK\r\n+CHA:11\r\nOK\r\n");
    EXPECT_GE(steady_clock::now() - t0, milliseconds(115));
}

TEST_F(SimTest, DoubleOkRepeatsTheEscapeAnswerInItsOwnChunk) {
    SFaultProfile p;
    p.doubleOk = true;
    sim.SetFaultProfile(p);
    port.Write("+++");
    auto chunks = port.ReadChunks([](const std::string& t) { return t == "OK\r\nOK\r\n"; }, 1000);
    EXPECT_EQ(Join(chunks), "OK\r\nOK\r\n");
    EXPECT_EQ(chunks.size(), 2u);
}

// Stray start bytes with plausible lengths before and after frames: every reply still holds its
// frame whole, and the stream holds more start bytes than frames.
TEST_F(SimTest, StrayStartsKeepEveryFrameWhole) {
    ASSERT_TRUE(EnterApi());
    SFaultProfile p;
    ASSERT_TRUE(FaultProfileByName("stray", p));
    sim.SetFaultProfile(p);
    const uint16_t node = sim.NodeAddresses()[0];
    // A complete 0x6244 frame with a right checksum at some start byte of the bytes.
    auto holdsReply = [](const std::string& b) {
        for (size_t i = 0; i + 5 <= b.size(); ++i) {
            const size_t len = static_cast<uint8_t>(b[i + 1]);
            if (static_cast<uint8_t>(b[i]) != 0xFE || i + len + 5 > b.size()) continue;
            uint8_t x = 0;
            for (size_t k = i + 1; k < i + len + 4; ++k)
                x ^= static_cast<uint8_t>(b[k]);
            if (x == static_cast<uint8_t>(b[i + len + 4]) && b[i + 2] == '\x44' && b[i + 3] == '\x62') return true;
        }
        return false;
    };
    size_t starts = 0, frames = 0;
    for (const char* letters : {"PID", "CHA", "TYP", "NID", "ITV", "DM0", "KEY", "SEC", "MOD", "DT1"}) {
        port.Write(RemoteFrame(node, letters));
        const std::string got = port.ReadUntil(holdsReply, 1000) + port.ReadFor(10);
        EXPECT_TRUE(holdsReply(got)) << letters;
        starts += static_cast<size_t>(std::count(got.begin(), got.end(), '\xFE'));
        ++frames;
    }
    EXPECT_GT(starts, frames);
}
