// The configuration state over the slave: escape modes, every parameter's reads and writes
// with their ranges, the replies as the program's AT parser reads them, save, factory, restart
// and the network search.

#include "SimTestPort.h"

#include "AtReplyParser.h"
#include "Messages.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"
#include "TextUtil.h"

#include <vector>

namespace {
// Runs the program's AT parser over one reply, as for the command in flight (code, write flag).
int Parse(const std::string& reply, int code, int isWrite, SCmdResult& result) {
    static SRecvBuffer b;
    ResetBuffer(b);
    AppendChunk(b, reply.data(), static_cast<int>(reply.size()));
    result = SCmdResult{};
    return ParseAtReply(b, SParseState{code, isWrite}, result);
}

std::string ReadCmd(int code) {
    return FindParam(code)->readCmd;
}
std::string WriteCmd(int code, const std::string& v) {
    return FindParam(code)->writePrefix + v;
}
} // namespace

// ---- escape sequence ----

struct EscapeCase {
    CSimulator::EEscape mode;
    const char* first;  // reply to the first "+++", one chunk
    const char* second; // reply to the second
    bool entered;
};

class EscapeModes : public SimTest, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapeModes, RepliesPerAttempt) {
    const EscapeCase& c = GetParam();
    sim.SetEscapeMode(c.mode);
    for (const char* expected : {c.first, c.second}) {
        port.Write("+++");
        std::string want = expected;
        if (want.empty()) {
            EXPECT_EQ(port.ReadFor(80), "");
            continue;
        }
        auto chunks = port.ReadChunks([&](const std::string& t) { return t.size() >= want.size(); }, 2000);
        ASSERT_EQ(chunks.size(), 1u);
        EXPECT_EQ(chunks[0].bytes, want);
    }
    EXPECT_EQ(sim.InConfigState(), c.entered);
    port.Write("AT+NCD?\r\n"); // answered only in the configuration state
    EXPECT_EQ(port.ReadUntil(EndsAtReply, c.entered ? 2000 : 80), c.entered ? "+NCD:0\r\nOK\r\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Sim, EscapeModes,
                         ::testing::Values(EscapeCase{CSimulator::ESC_TWO_CHUNKS, "OK\r\n", "OK\r\n", true},
                                           EscapeCase{CSimulator::ESC_ONE_CHUNK, "OK\r\nOK\r\n",
                                                      "OK\r\nOK\r\n", true},
                                           EscapeCase{CSimulator::ESC_SINGLE_OK, "OK\r\n", "", true},
                                           EscapeCase{CSimulator::ESC_SILENT, "", "", false}));

TEST_F(SimTest, EscapeSplitOverWritesAndTransparentDataIgnored) {
    port.Write("hello +");
    port.Write("++");
    EXPECT_EQ(port.ReadUntil([](const std::string& t) { return t.size() >= 4; }), "OK\r\n");
    EXPECT_TRUE(sim.InConfigState());
}

// ---- parameters ----

struct ParamCase {
    int code;
    const char* good;   // accepted write
    const char* stored; // what a read shows afterwards
    std::vector<const char*> bad;
};

class ParamWrites : public SimTest, public ::testing::WithParamInterface<ParamCase> {};

TEST_P(ParamWrites, ReadWriteAndRangeCheck) {
    const ParamCase& c = GetParam();
    const char* mnemonic = FindParam(c.code)->mnemonic;
    ASSERT_TRUE(EnterConfig());
    std::string before = sim.LocalParam(c.code);
    EXPECT_EQ(At(ReadCmd(c.code)), std::string("+") + mnemonic + ":" + before + "\r\nOK\r\n");
    for (const char* bad : c.bad)
        EXPECT_EQ(At(WriteCmd(c.code, bad)), "ERROR\r\n") << mnemonic << "=" << bad;
    EXPECT_EQ(sim.LocalParam(c.code), before);
    EXPECT_EQ(At(WriteCmd(c.code, c.good)), "OK\r\n") << mnemonic << "=" << c.good;
    EXPECT_EQ(At(ReadCmd(c.code)), std::string("+") + mnemonic + ":" + c.stored + "\r\nOK\r\n");
}

const char* kKey = "00112233445566778899aabbccddeeff";
INSTANTIATE_TEST_SUITE_P(
    Sim, ParamWrites,
    ::testing::Values(
        ParamCase{PT_IPR, "5", "5", {"10", "-1", "5 ", ""}}, ParamCase{PT_PAR, "2", "2", {"3"}},
        ParamCase{PT_STO, "1", "1", {"2"}}, ParamCase{PT_ECH, "0", "0", {"2"}},
        ParamCase{PT_CHA, "26", "26", {"10", "27"}}, ParamCase{PT_TID, "65535", "65535", {"65528", "65536"}},
        ParamCase{PT_PID, "0004660", "4660", {"65532", "123456", "12a"}},
        ParamCase{PT_NID, "65527", "65527", {"0", "65530"}}, ParamCase{PT_ITV, "6", "6", {"5", "1981"}},
        ParamCase{PT_MOD, "2", "2", {"3"}}, ParamCase{PT_STC, "500", "500", {"501"}},
        ParamCase{PT_WTC, "65", "65", {"4", "66"}}, ParamCase{PT_ENP, "255", "255", {"256"}},
        ParamCase{PT_PRD, "65535", "65535", {"65536"}}, ParamCase{PT_CDA, "0", "0", {"x"}},
        ParamCase{PT_DM0, "1", "1", {"5"}}, ParamCase{PT_DM0 + 4, "5", "5", {"1", "6"}},
        ParamCase{PT_DT0 + 2, "65535", "65535", {"65536"}}, ParamCase{PT_SEC, "1", "1", {"2"}},
        ParamCase{
            PT_KEY, kKey, "00112233445566778899AABBCCDDEEFF", {"0011", "G0112233445566778899AABBCCDDEEFF"}},
        ParamCase{PT_TLK, kKey, "00112233445566778899AABBCCDDEEFF", {"00112233445566778899AABBCCDDEEFF0"}}),
    [](const auto& info) {
        return std::string(FindParam(info.param.code)->mnemonic) + "_" + std::to_string(info.index);
    });

TEST_F(SimTest, UnknownAndReadOnlyCommandsAnswerError) {
    ASSERT_TRUE(EnterConfig());
    for (const char* line : {"AT+MID=00124B0000000001", "AT+NCD=5", "AT+VER=1", "AT+FOO?", "HELLO", "AT+PID"})
        EXPECT_EQ(At(line), "ERROR\r\n") << line;
    EXPECT_EQ(At(std::string(300, 'A')), "ERROR\r\n");
    EXPECT_EQ(At("at+cha?"), "+CHA:11\r\nOK\r\n"); // letter case does not matter
}

// Every read of a local load, answered and read back exactly as the program's parser sees it.
TEST_F(SimTest, LocalLoadRepliesParseToTheModuleValues) {
    ASSERT_TRUE(EnterConfig());
    for (int code : LocalLoadOrder()) {
        SCmdResult r;
        ASSERT_EQ(Parse(At(ReadCmd(code)), code, 0, r), REPLY_DONE) << code;
        ASSERT_EQ(r.values.size(), 1u);
        EXPECT_EQ(r.values[0], sim.LocalParam(code)) << code;
    }
    SCmdResult r;
    EXPECT_EQ(Parse(At("AT+NCD?"), PT_NCD, 0, r), REPLY_DONE);
    EXPECT_EQ(r.values, std::vector<std::string>{"0"});
    EXPECT_EQ(Parse(At("AT+PID=1"), PT_PID, 1, r), REPLY_DONE);
    EXPECT_EQ(Parse(At("AT+PID=70000"), PT_PID, 1, r), REPLY_ERROR);
    sim.FailReads(PT_CHA, true);
    EXPECT_EQ(Parse(At("AT+CHA?"), PT_CHA, 0, r), REPLY_ERROR);
}

TEST_F(SimTest, EchoRepeatsTheLineBeforeTheReply) {
    ASSERT_TRUE(EnterConfig());
    EXPECT_EQ(At("AT+ECH=1"), "OK\r\n");
    std::string reply = At("AT+PID?");
    EXPECT_EQ(reply, "AT+PID?\r\n+PID:65535\r\nOK\r\n");
    SCmdResult r;
    EXPECT_EQ(Parse(reply, PT_PID, 0, r), REPLY_DONE);
    EXPECT_EQ(r.values, std::vector<std::string>{"65535"});
    EXPECT_EQ(At("AT+PID=99999"), "AT+PID=99999\r\nERROR\r\n");
}

TEST_F(SimTest, VersionsAreSettable) {
    ASSERT_TRUE(EnterConfig());
    EXPECT_NE(At("AT+VER").find("R7730"), std::string::npos);
    sim.SetLocalParam(PT_SOFT_VERSION, "V2.1");
    EXPECT_EQ(At("AT+VER"), "V2.1\r\nOK\r\n");
    SCmdResult r;
    EXPECT_EQ(Parse(At("AT+BTL"), PT_BOOT_VERSION, 0, r), REPLY_DONE);
    EXPECT_EQ(r.values[0], sim.LocalParam(PT_BOOT_VERSION));
}

// ---- save, factory, restart ----

TEST_F(SimTest, RestartKeepsOnlySavedValuesAndLeavesTheConfigurationState) {
    ASSERT_TRUE(EnterConfig());
    EXPECT_EQ(At("AT+PID=4660"), "OK\r\n");
    SCmdResult r;
    EXPECT_EQ(Parse(At("AT+SRS"), PT_SRS, 0, r), REPLY_DONE);
    EXPECT_EQ(r.values, std::vector<std::string>{"1"});
    EXPECT_FALSE(sim.InConfigState());
    port.Write("AT+PID?\r\n");
    EXPECT_EQ(port.ReadFor(80), ""); // transparent again
    ASSERT_TRUE(EnterConfig());
    EXPECT_EQ(sim.LocalParam(PT_PID), "65535"); // not saved: lost

    EXPECT_EQ(At("AT+PID=4660"), "OK\r\n");
    EXPECT_EQ(At("AT+SAV"), "OK\r\n");
    EXPECT_EQ(sim.SaveCount(), 1);
    EXPECT_EQ(At("AT+SRS?"), "OK\r\n");
    ASSERT_TRUE(EnterConfig());
    EXPECT_EQ(At("AT+PID?"), "+PID:4660\r\nOK\r\n");

    EXPECT_EQ(Parse(At("AT+FAC"), PT_FAC, 0, r), REPLY_DONE);
    EXPECT_EQ(sim.LocalParam(PT_PID), "65535");
    EXPECT_EQ(sim.LocalParam(PT_MID).size(), 16u); // identity survives
    EXPECT_EQ(At("AT+SRS"), "OK\r\n");
    EXPECT_EQ(sim.LocalParam(PT_PID), "65535"); // factory values are saved values
}

// ---- network search ----

TEST_F(SimTest, SearchRecordsArriveOneByOne) {
    sim.SetNwsGap(50);
    ASSERT_TRUE(EnterConfig());
    port.Write("AT+NWS\r\n");
    auto chunks =
        port.ReadChunks([](const std::string& t) { return std::count(t.begin(), t.end(), '\n') == 3; }, 3000);
    std::vector<uint16_t> nodes = sim.NodeAddresses();
    ASSERT_EQ(nodes.size(), 3u);
    ASSERT_EQ(chunks.size(), 3u);
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(chunks[i].at - chunks[i - 1].at, std::chrono::milliseconds(30));
        }
        SCmdResult r;
        EXPECT_EQ(Parse(chunks[i].bytes, i == 0 ? PT_NWS : PT_NONE, 0, r),
                  i == 0 ? REPLY_DONE : REPLY_RECORD);
        ASSERT_EQ(r.values.size(), 4u);
        EXPECT_EQ(r.values[0], "0");
        EXPECT_EQ(r.values[1], std::to_string(nodes[i]));
        EXPECT_EQ(r.values[2], sim.RemoteParam(nodes[i], PT_MID));
        EXPECT_EQ(TrimLineEnds(r.values[3]), sim.RemoteParam(nodes[i], PT_TYP));
    }
    sim.SetNodeStatus(nodes[1], 3);
    port.Write("AT+NWS\r\n");
    std::string all =
        port.ReadUntil([](const std::string& t) { return std::count(t.begin(), t.end(), '\n') == 3; });
    EXPECT_NE(all.find("+NWS:3," + std::to_string(nodes[1]) + ","), std::string::npos);
}
