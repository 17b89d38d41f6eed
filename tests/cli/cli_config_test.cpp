// read, diff and write against the simulator: values, only the differences written, the verify,
// bad parameter set files and the exit codes of the failures.
#include "CliFixture.h"
#include "TextUtil.h"
#include "Texts.h"

#include <thread>

namespace {
bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
} // namespace

TEST_F(CliTest, ReadPrintsEveryValueOfTheModuleAsAParameterSetAndAsJson) {
    StartSims(1);
    Sim().SetLocalParam(PT_PID, "4660");
    Sim().SetLocalParam(PT_DT0 + 2, "77");
    Sim().SetLocalParam(PT_TYP, "1"); // a router: its node address is part of the set
    Sim().SetLocalParam(PT_NID, "300");
    const SCliRun text = Run({"read", "--port", Port(), "-q"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const SCliRun json = Run({"read", "--port", Port(), "--json", "-q"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(text.out.rfind("[CONFIG]\nIPR=", 0), 0u) << text.out;
    for (int code = PT_IPR; code <= PT_TLK; ++code) {
        const SParamInfo* p = FindParam(code);
        if (code == PT_MID || code == PT_NCD) continue;
        const std::string value = Sim().LocalParam(code);
        EXPECT_TRUE(Has(text.out, std::string("\n") + p->mnemonic + "=" + value + "\n")) << p->mnemonic;
        EXPECT_TRUE(Has(json.out, std::string("\"") + p->mnemonic + "\":\"" + value + "\"")) << p->mnemonic;
    }
    EXPECT_TRUE(Has(json.out, "\"mac\":\"" + Sim().LocalParam(PT_MID) + "\""));
    EXPECT_TRUE(Has(json.out, "\"softVersion\":\"" + Sim().LocalParam(PT_SOFT_VERSION) + "\""));
}

TEST_F(CliTest, WriteSendsOnlyTheDifferencesThenSavesAndVerifies) {
    StartSims(1);
    const std::string set = WriteFile("set.ini", "[CONFIG]\nIPR=9\nPID=4660\nCHA=15\nTYP=1\nTLK=00\n");
    ASSERT_EQ(Sim().LocalParam(PT_IPR), "9");
    const SCliRun diff = Run({"diff", set, "--port", Port()});
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out, "CHA=11 -> 15\nPID=65535 -> 4660\nTYP=0 -> 1\n");
    EXPECT_TRUE(Writes(Sim()).empty()) << "diff writes nothing";
    EXPECT_TRUE(Has(diff.err, "line 6: TLK")) << "the link key is ignored, with its line";

    Sim().ClearReceived();
    const SCliRun write = Run({"write", set, "--port", Port()});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(Writes(Sim()), (std::vector<std::string>{"AT+TYP=1", "AT+CHA=15", "AT+PID=4660", "AT+SAV"}));
    EXPECT_EQ(Sim().LocalParam(PT_PID), "4660");
    EXPECT_EQ(Sim().SaveCount(), 1);
    EXPECT_TRUE(Has(write.err, TextPrintf(401, 3)));

    Sim().ClearReceived();
    const SCliRun again = Run({"write", set, "--port", Port(), "--json", "-q"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(Writes(Sim()).empty()) << "nothing differs: nothing written, no save";
    EXPECT_EQ(again.out, "{\"written\":[],\"problems\":[],\"verified\":true}\n");
}

TEST_F(CliTest, WriteFailsWhenTheModuleKeepsOrRefusesAValue) {
    StartSims(1);
    const std::string set = WriteFile("set.ini", "[CONFIG]\nPID=4660\nCHA=15\n");
    // A module that answers OK but keeps its value: only the read-back finds it.
    Sim().KeepValue(PT_PID, true);
    SCliRun run = Run({"write", set, "--port", Port(), "-q"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run.err, TextPrintf(399, "PID", "65535", "4660"))) << run.err;
    EXPECT_EQ(Sim().LocalParam(PT_CHA), "15");

    // A module that does not take the write (no reply after the retries).
    Sim().KeepValue(PT_PID, false);
    Sim().MuteCommands("AT+PID=", true);
    run = Run({"write", set, "--port", Port(), "-q", "--timeout", "200", "--retries", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run.err, TextPrintf(400, "PID", "4660"))) << run.err;
    int attempts = 0;
    for (const std::string& c : Sim().ReceivedCommands())
        attempts += c == "AT+PID=4660";
    EXPECT_EQ(attempts, 3) << "the kept write once, the unanswered write and its one retry";
}

TEST_F(CliTest, BadParameterSetsAreRefusedWithTheirLineBeforeAnythingIsSent) {
    StartSims(1);
    struct SCase {
        const char* name;
        const char* text; // nullptr: the file does not exist
        std::string message;
    };
    const std::vector<SCase> cases = {
        {"unknown.ini", "[CONFIG]\nPID=1\n\nXYZ=4\n", "unknown.ini, line 4: unknown parameter \"XYZ\"."},
        {"range.ini", "[CONFIG]\nCHA=27\n", "range.ini, line 2: CHA=27 is out of range (11 to 26)."},
        {"pin.ini", "; pins\n[CONFIG]\nDM3=1\n", "pin.ini, line 3: DM3=1 is out of range (0, 2, 3, 4 or 5)."},
        {"key.ini", "[CONFIG]\nKEY=0102\n", "key.ini, line 2: KEY=0102 is out of range (32 hexadecimal digits)."},
        {"empty.ini", "[CONFIG]\nNID=\n", "empty.ini, line 2: NID= is out of range (1 to 65527 or 65535)."},
        {"foreign.ini", "[Other]\nPID=1\n", "foreign.ini is not a parameter set"},
        {"missing.ini", nullptr, "missing.ini cannot be read: No such file or directory"},
    };
    for (const SCase& c : cases) {
        const std::string path = c.text ? WriteFile(c.name, c.text) : dir + "/" + c.name;
        for (const char* command : {"write", "diff"}) {
            const SCliRun run = Run({command, path, "--port", Port()});
            EXPECT_EQ(run.exitCode, 2) << c.name;
            EXPECT_TRUE(Has(run.err, c.message)) << c.name << ": " << run.err;
        }
    }
    EXPECT_TRUE(Sim().ReceivedCommands().empty());
}

TEST_F(CliTest, ExitCodesOfUsagePortAndModuleFailures) {
    StartSims(1);
    // Usage.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read"}, {"frobnicate", "--port", Port()}, {"read", "--port", Port(), "--baud", "x"},
          {"write", "--port", Port()}}) {
        EXPECT_EQ(Run(args).exitCode, 2) << args[0];
    }
    // Ports that do not exist or cannot be named.
    EXPECT_EQ(Run({"read", "--port", "COM999"}).exitCode, 3);
    EXPECT_EQ(Run({"read", "--port", dir + "/no-such-tty"}).exitCode, 3);
    const SCliRun notTty = Run({"read", "--port", "TTY7"});
    EXPECT_EQ(notTty.exitCode, 3);
    EXPECT_TRUE(Has(notTty.err, "Unknown port \"TTY7\""));
    // The device path of the alias works as well as its COM name.
    EXPECT_EQ(Run({"restart", "--port", Sim().SlavePath(), "-q"}).exitCode, 0);
    // A silent module.
    Sim().SetEscapeMode(CSimulator::ESC_SILENT);
    const SCliRun silent = Run({"read", "--port", Port()});
    EXPECT_EQ(silent.exitCode, 4);
    EXPECT_TRUE(Has(silent.err, TextPrintf(398, Port().c_str())));
    // A port that vanishes during the read.
    Sim().SetEscapeMode(CSimulator::ESC_TWO_CHUNKS);
    Sim().SetLatency(40);
    const int pid = Start({"read", "--port", Port(), "-q"});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Sim().HangUp();
    const SCliRun gone = Wait(pid);
    EXPECT_EQ(gone.exitCode, 3) << gone.err;
    EXPECT_TRUE(Has(gone.err, "has vanished")) << gone.err;
}
