// Hostile or garbled input never becomes a command, a listed node, a successful read or a blocked
// window: values with line breaks, empty fields, out-of-range search records, garbled replies,
// special files and odd names as firmware images, translations with other conversions.
#include "EngineFixture.h"
#include "ReplyValidity.h"
#include "TextUtil.h"
#include "Texts.h"

#include <fstream>
#include <sys/stat.h>

namespace {
std::vector<std::string> AtCommands(const CSimulator& sim) {
    std::vector<std::string> out;
    for (const auto& c : sim.ReceivedCommands())
        if (c.rfind("AT+", 0) == 0) out.push_back(c);
    return out;
}

std::string LineBreakRefusal(int code) {
    return FormatText(TXT_VALUE_LINE_BREAK, {ParamCaption(code)});
}
} // namespace

TEST(CommandRecords, NoTextWithItsOwnLineBreakBecomesARecord) {
    SCmdItem record;
    for (const std::string& text : {std::string("AT+KEY=00\rAT+FAC"), std::string("AT+PID=1\n"),
                                    std::string("AT+PID=1\0AT+FAC", 15)}) {
        EXPECT_FALSE(MakeTextCommand(text, PT_KEY, 1, record)) << text;
        EXPECT_EQ(record.length, 0);
    }
    EXPECT_FALSE(MakeWriteCommand(PT_PID, "12\r\nAT+FAC", record));
    EXPECT_TRUE(MakeTextCommand("AT+PID=12", PT_PID, 1, record));
    EXPECT_EQ(record.length, 11);
}

TEST_F(EngineTest, SaveWritesNeitherValuesWithLineBreaksNorEmptyFields) {
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(JobEnds());
    sim.ClearReceived();
    // An imported key carrying a second command, and a number field the import left empty.
    host.params[PT_KEY] = "00112233445566778899AABBCCDDEEFF\rAT+FAC";
    host.params[PT_DT0 + 1] = "";
    host.params[PT_PID] = "4660";
    engine->SaveParams();
    ASSERT_TRUE(JobEnds());
    EXPECT_EQ(AtCommands(sim), (std::vector<std::string>{"AT+PID=4660", "AT+SAV"}));
    EXPECT_TRUE(host.Logged(LineBreakRefusal(PT_KEY)));
    EXPECT_FALSE(host.Logged("*Write NetWork Key Success!"));

    // The same through a remote node: neither goes into a frame.
    const uint16_t node = sim.NodeAddresses().at(0);
    sim.SetRemoteParam(node, PT_DT0 + 1, "7");
    engine->OnNodeAction(NA_READ, node);
    ASSERT_TRUE(JobEnds());
    const std::string key = sim.RemoteParam(node, PT_KEY);
    host.params[PT_KEY] = "FFEEDDCCBBAA99887766554433221100\nAT+FAC";
    host.params[PT_DT0 + 1] = "";
    host.params[PT_PID] = "4661";
    engine->OnNodeAction(NA_WRITE, node);
    ASSERT_TRUE(JobEnds());
    EXPECT_EQ(sim.RemoteParam(node, PT_PID), "4661");
    EXPECT_EQ(sim.RemoteParam(node, PT_KEY), key);
    EXPECT_EQ(sim.RemoteParam(node, PT_DT0 + 1), "7");
}

TEST_F(EngineTest, AValueWithALineBreakNeverReachesAPage) {
    engine->ApplyResult(SCmdResult{PT_KEY, {"00112233445566778899AABBCCDDEEFF\rAT+FAC"}});
    engine->ApplyResult(SCmdResult{PT_PID, {"4660"}});
    EXPECT_EQ(host.params.count(PT_KEY), 0u);
    EXPECT_EQ(host.params[PT_PID], "4660");
    EXPECT_TRUE(host.Logged(LineBreakRefusal(PT_KEY)));
}

TEST_F(EngineTest, OnlyValidSearchRecordsAreListed) {
    struct SCase {
        std::vector<std::string> fields; // status, address, MAC, type
        bool listed;
    };
    const std::string mac = "00124B0001020304";
    const SCase cases[] = {
        {{"0", "4660", mac, "1\r\n"}, true},
        {{"0", "0", mac, "0"}, true},
        {{"0", "65534", mac, "2"}, true},
        {{"0", "70000", mac, "1"}, false},     // would become node 0x1170
        {{"0", "65535", mac, "1"}, false},     // the broadcast address
        {{"0", "-1", mac, "1"}, false},        // would become 0xFFFF
        {{"0", "12abc", mac, "1"}, false},     // would become node 12
        {{"0", "", mac, "1"}, false},
        {{"0", "12", "00124B000102030", "1"}, false},  // 15 digits
        {{"0", "12", "00124B00010203G4", "1"}, false}, // not hex
        {{"0", "12", mac, "3"}, false},
        {{"0", "12", mac, "1x"}, false},
        {{"x", "12", mac, "1"}, false},
    };
    for (const SCase& c : cases) {
        host.nodes.clear();
        engine->ApplyResult(SCmdResult{PT_NWS, c.fields});
        EXPECT_EQ(host.nodes.size(), c.listed ? 1u : 0u) << c.fields[1] << " " << c.fields[2] << " " << c.fields[3];
    }
    // A listed record goes on without the line end of its last field.
    engine->ApplyResult(SCmdResult{PT_NWS, {"0", "4660", mac, "1\r\n"}});
    EXPECT_EQ(host.nodes.back(), (std::vector<std::string>{"4660", "0", mac, "1"}));
}

TEST_F(EngineTest, AGarbledReplyIsAFailedRead) {
    sim.SetLocalParam(PT_PID, std::string("46\0 60", 6));
    sim.SetLocalParam(PT_SOFT_VERSION, std::string(9000, 'V'));
    ASSERT_TRUE(Open());
    engine->LoadParams();
    ASSERT_TRUE(JobEnds(10000));
    EXPECT_TRUE(host.Logged("*Read PID Failed!"));
    EXPECT_FALSE(host.Logged("*Read PID Success!"));
    EXPECT_TRUE(host.Logged("*Read Soft Version Failed!"));
    EXPECT_EQ(host.params.count(PT_PID), 0u);
    EXPECT_EQ(host.softVersion, "");
    EXPECT_EQ(host.params[PT_CHA], sim.LocalParam(PT_CHA));
    EXPECT_FALSE(PlausibleReadValue(std::string(kMaxReadValue + 1, 'V')));
    EXPECT_TRUE(PlausibleReadValue(std::string(kMaxReadValue, 'V')));
}

TEST_F(EngineTest, OnlyARegularFileIsAFirmwareImage) {
    ASSERT_TRUE(Open());
    const auto folder = portsDir / "image.bin";
    std::filesystem::create_directory(folder);
    const auto fifo = portsDir / "fifo.bin";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& path : {folder, fifo, portsDir / "missing.bin"}) {
        host.log.clear();
        sim.ClearReceived();
        // Returns at once (a FIFO without a writer would block an ordinary open).
        engine->OnUpgradeRequest(0, path.string() + ",0");
        ASSERT_FALSE(host.log.empty()) << path;
        EXPECT_EQ(host.log.back().rfind(Text(277), 0), 0u) << path;
        EXPECT_NE(host.log.back().find(path.string()), std::string::npos) << host.log.back();
        EXPECT_FALSE(ui.IsTimerRunning(CEngine::kHandshakeTimer));
        EXPECT_FALSE(host.jobRunning);
        EXPECT_FALSE(host.progressShown);
        EXPECT_EQ(inside->imageFile, nullptr);
    }
    ui.PumpFor(50);
    EXPECT_EQ(sim.BlocksReceived(), 0);
}

TEST_F(EngineTest, ACommaInTheImagePathStaysInThePath) {
    ASSERT_TRUE(Open());
    const auto write = [](const std::filesystem::path& p, char fill) {
        std::ofstream(p, std::ios::binary) << std::string(100, fill);
    };
    write(portsDir / "a", 'A');
    write(portsDir / "a,b.bin", 'B');
    engine->OnUpgradeRequest(0, (portsDir / "a,b.bin").string() + ",0");
    ASSERT_TRUE(PumpUntil([&] { return host.Logged(Text(273)); }, 10000));
    ASSERT_TRUE(JobEnds());
    const std::vector<uint8_t> flash = sim.FlashImage();
    ASSERT_GE(flash.size(), 100u);
    EXPECT_TRUE(std::all_of(flash.begin(), flash.begin() + 100, [](uint8_t b) { return b == 'B'; }));
}

TEST(TextTable, AnEntryWithOtherConversionsKeepsTheEnglishText) {
    const std::map<int, std::string> bundle = {
        {TXT_OPENED_DEVICE, "%s is %s (%s)"},   // one more argument than given
        {TXT_RECORD_TOO_LONG, "%d"},            // a number where a text is given
        {TXT_PORT_VANISHED, "%n %s"},           // a write through an argument
        {TXT_COMMAND_TOO_LONG, "命令过长（最多 %d 个字符）！"},
        {227, "*读取 %s"},                      // English has no conversion here
        {228, "100%% sure"},
    };
    const std::vector<int> refused = SetTextTable(bundle);
    EXPECT_EQ(refused, (std::vector<int>{227, TXT_RECORD_TOO_LONG, TXT_PORT_VANISHED, TXT_OPENED_DEVICE}));
    EXPECT_EQ(Text(TXT_OPENED_DEVICE), BuiltinEnglishTexts().at(TXT_OPENED_DEVICE));
    EXPECT_EQ(FormatText(TXT_OPENED_DEVICE, {"COM7", "/dev/ttyUSB0"}), "COM7 is /dev/ttyUSB0");
    EXPECT_EQ(Text(TXT_PORT_VANISHED), BuiltinEnglishTexts().at(TXT_PORT_VANISHED));
    EXPECT_EQ(FormatText(TXT_COMMAND_TOO_LONG, {"125"}), "命令过长（最多 125 个字符）！");
    EXPECT_EQ(Text(227), "*Read ");
    EXPECT_EQ(Text(228), "100%% sure");
    SetTextTable({});
    // Filling never reads past its arguments, and a lone "%" stays as it is.
    EXPECT_EQ(FillText("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(FillText("50% %", {}), "50% %");
}
