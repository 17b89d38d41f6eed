// API mode: remote requests built with the program's frame builder, replies decoded with the
// program's decoder. The program's codec must accept every frame the simulator sends.

#include "SimTestPort.h"

#include "ParamCatalogue.h"
#include "TextUtil.h"

namespace {
Bytes Number(uint16_t v) {
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)};
}

Bytes KeyBytes(const std::string& hex) {
    Bytes b(hex.size() / 2 + 1);
    HexToBytes(hex.c_str(), static_cast<int>(hex.size()), b.data());
    b.resize(hex.size() / 2);
    return b;
}
} // namespace

class SimApiTest : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        ASSERT_TRUE(EnterApi());
        nodes = sim.NodeAddresses();
        ASSERT_EQ(nodes.size(), 3u);
    }
    // One remote request; the decoded reply.
    SApiResult Remote(uint16_t node, int code, const Bytes& value = {}) {
        SApiResult r{};
        EXPECT_TRUE(Exchange(RemoteFrame(node, FindParam(code)->mnemonic, value), r)) << code;
        EXPECT_EQ(r.command, 0x6244);
        return r;
    }
    std::vector<uint16_t> nodes;
};

// The 34 reads of a remote load, each answered with the node's own value.
TEST_F(SimApiTest, RemoteLoadReadsEveryParameter) {
    for (int code = PT_IPR; code <= PT_KEY; ++code) {
        SApiResult r = Remote(nodes[0], code);
        EXPECT_EQ(r.type, code);
        EXPECT_EQ(r.success, 1) << code;
        EXPECT_EQ(r.textCount, 1);
        EXPECT_EQ(std::string(r.texts[0]), sim.RemoteParam(nodes[0], code)) << code;
    }
    EXPECT_EQ(std::string(Remote(nodes[0], PT_NCD).texts[0]), std::to_string(nodes[0]));
    EXPECT_NE(sim.RemoteParam(nodes[0], PT_MID), sim.RemoteParam(nodes[1], PT_MID));
}

struct RemoteWriteCase {
    int code;
    Bytes value; // as handed to the frame builder
    bool accepted;
    const char* stored;
};

class RemoteWrites : public SimApiTest, public ::testing::WithParamInterface<RemoteWriteCase> {};

TEST_P(RemoteWrites, ValueCheckedAndStored) {
    const RemoteWriteCase& c = GetParam();
    std::string before = sim.RemoteParam(nodes[1], c.code);
    SApiResult r = Remote(nodes[1], c.code, c.value);
    EXPECT_EQ(r.type, c.code);
    EXPECT_EQ(r.success, c.accepted ? 1 : 0);
    EXPECT_EQ(r.texts[0][0], 0); // acknowledgements carry no value
    EXPECT_EQ(sim.RemoteParam(nodes[1], c.code), c.accepted ? c.stored : before);
    // What a remote read then shows is what the write carried.
    EXPECT_EQ(std::string(Remote(nodes[1], c.code).texts[0]), sim.RemoteParam(nodes[1], c.code));
}

INSTANTIATE_TEST_SUITE_P(
    Sim, RemoteWrites,
    ::testing::Values(RemoteWriteCase{PT_PID, Number(4660), true, "4660"},
                      RemoteWriteCase{PT_PID, Number(65532), false, ""},
                      RemoteWriteCase{PT_CHA, Number(26), true, "26"},
                      RemoteWriteCase{PT_CHA, Number(27), false, ""},
                      RemoteWriteCase{PT_DM0 + 4, Number(1), false, ""},
                      RemoteWriteCase{PT_ITV, {20}, false, ""}, // one byte: not a number of this parameter
                      RemoteWriteCase{PT_MID, Number(1), false, ""},
                      RemoteWriteCase{PT_KEY, KeyBytes("00112233445566778899AABBCCDDEEFF"), true,
                                      "00112233445566778899AABBCCDDEEFF"},
                      RemoteWriteCase{PT_KEY, KeyBytes("0011223344556677"), false, ""}),
    [](const auto& info) {
        return std::string(FindParam(info.param.code)->mnemonic) + "_" + std::to_string(info.index);
    });

TEST_F(SimApiTest, UnknownNodesAndMarkedNodesAnswerNonZeroStatus) {
    uint16_t unknown = 1;
    while (std::find(nodes.begin(), nodes.end(), unknown) != nodes.end())
        ++unknown;
    SApiResult r = Remote(unknown, PT_PID);
    EXPECT_EQ(r.type, PT_PID);
    EXPECT_EQ(r.success, 0);

    sim.SetNodeStatus(nodes[2], 3);
    EXPECT_EQ(Remote(nodes[2], PT_PID, Number(7)).success, 0);
    EXPECT_EQ(sim.RemoteParam(nodes[2], PT_PID), "65535"); // not acted on
    sim.SetNodeStatus(nodes[2], 0);
    EXPECT_EQ(Remote(nodes[2], PT_PID).success, 1);

    SApiResult unknownLetters{};
    ASSERT_TRUE(Exchange(RemoteFrame(nodes[0], "VER"), unknownLetters));
    EXPECT_EQ(unknownLetters.type, 0);
    EXPECT_EQ(unknownLetters.success, 0);
}

// A new node address counts from the next restart, and only when saved; 65535 takes the node
// out of the network.
TEST_F(SimApiTest, NodeAddressChangesAtRestart) {
    uint16_t node = nodes[0];
    EXPECT_EQ(Remote(node, PT_NID, Number(1234)).success, 1);
    EXPECT_EQ(Remote(node, PT_SRS).type, PT_SRS);
    EXPECT_EQ(sim.NodeAddresses(), nodes); // not saved: unchanged

    EXPECT_EQ(Remote(node, PT_NID, Number(1234)).success, 1);
    SApiResult save = Remote(node, PT_SAV);
    EXPECT_EQ(save.type, PT_SAV);
    EXPECT_EQ(save.success, 1);
    EXPECT_EQ(Remote(node, PT_SRS).success, 1);
    EXPECT_EQ(sim.NodeAddresses(), (std::vector<uint16_t>{1234, nodes[1], nodes[2]}));
    EXPECT_EQ(Remote(1234, PT_NID).texts[0], std::string("1234"));
    EXPECT_EQ(Remote(node, PT_PID).success, 0);

    EXPECT_EQ(Remote(1234, PT_NID, Number(65535)).success, 1);
    Remote(1234, PT_SAV);
    Remote(1234, PT_SRS);
    EXPECT_EQ(sim.NodeAddresses(), (std::vector<uint16_t>{nodes[1], nodes[2]}));
    EXPECT_EQ(Remote(1234, PT_PID).success, 0);

    std::vector<std::string> log = sim.ReceivedCommands();
    EXPECT_NE(std::find(log.begin(), log.end(), "API remote write 1234 NID 65535"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "API remote command 1234 SAV"), log.end());
}

TEST_F(SimApiTest, RemoteFactoryRestoresDefaults) {
    Remote(nodes[1], PT_PID, Number(4660));
    SApiResult r = Remote(nodes[1], PT_FAC);
    EXPECT_EQ(r.type, PT_FAC);
    EXPECT_EQ(r.success, 1);
    EXPECT_EQ(sim.RemoteParam(nodes[1], PT_PID), "65535");
}

TEST_F(SimApiTest, RestartFrameLeavesApiMode) {
    SApiResult r{};
    ASSERT_TRUE(Exchange(Frame(0x2C21, {0x01}), r));
    EXPECT_EQ(r.command, 0x2C61);
    EXPECT_EQ(r.type, PT_SRS);
    EXPECT_EQ(r.success, 1);
    EXPECT_FALSE(sim.InApiMode());
    EXPECT_FALSE(sim.InConfigState());
}

TEST_F(SimApiTest, EscapeReturnsToAtCommands) {
    ASSERT_TRUE(EnterConfig());
    EXPECT_EQ(At("AT+NCD?"), "+NCD:0\r\nOK\r\n");
    EXPECT_EQ(At("AT+API"), "OK\r\n");
    EXPECT_TRUE(sim.InApiMode());
    EXPECT_EQ(Remote(nodes[0], PT_CHA).success, 1);
}

TEST_F(SimApiTest, RequestToTheOwnAddressActsOnTheLocalModule) {
    EXPECT_EQ(std::string(Remote(sim.LocalAddress(), PT_MID).texts[0]), sim.LocalParam(PT_MID));
    EXPECT_EQ(Remote(sim.LocalAddress(), PT_SRS).success, 1);
    EXPECT_FALSE(sim.InApiMode()); // the local module restarted
}
