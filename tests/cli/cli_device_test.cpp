// restart, factory, search, remote, flash and send against the simulator.
#include "CliFixture.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <unistd.h>

namespace {
bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
int Count(const std::vector<std::string>& lines, const std::string& line) {
    return int(std::count(lines.begin(), lines.end(), line));
}
} // namespace

TEST_F(CliTest, RestartAndFactoryResetTheModule) {
    StartSims(1);
    Sim().SetLocalParam(PT_PID, "4660");
    EXPECT_EQ(Run({"restart", "--port", Port(), "-q"}).exitCode, 0);
    EXPECT_EQ(Count(Sim().ReceivedCommands(), "AT+SRS"), 1);
    EXPECT_FALSE(Sim().InConfigState()) << "a restart leaves the configuration state";
    const SCliRun factory = Run({"factory", "--port", Port()});
    EXPECT_EQ(factory.exitCode, 0) << factory.err;
    EXPECT_EQ(Count(Sim().ReceivedCommands(), "AT+FAC"), 1);
    EXPECT_EQ(Sim().LocalParam(PT_PID), "65535");
}

TEST_F(CliTest, SearchListsTheNodesAndRemoteReadsAndWritesOne) {
    StartSims(1);
    const SCliRun search = Run({"search", "--port", Port(), "--json", "-q"});
    ASSERT_EQ(search.exitCode, 0) << search.err;
    const std::vector<uint16_t> nodes = Sim().NodeAddresses();
    ASSERT_EQ(nodes.size(), 2u);
    for (uint16_t n : nodes)
        EXPECT_TRUE(Has(search.out, "{\"address\":\"" + std::to_string(n) + "\",\"mac\":\"")) << search.out;

    const std::string node = std::to_string(nodes[1]);
    Sim().SetRemoteParam(nodes[1], PT_ITV, "33");
    const SCliRun read = Run({"remote", node, "read", "--port", Port(), "-q"});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_TRUE(Has(read.out, "\nITV=33\n")) << read.out;
    EXPECT_FALSE(Has(read.out, "TLK=")) << "a node's link key is not read";

    const std::string set = WriteFile("node.ini", "[CONFIG]\nITV=40\nCHA=20\n");
    const SCliRun write = Run({"remote", node, "write", set, "--port", Port(), "-q", "--json"});
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(write.out, "{\"written\":[\"CHA\",\"ITV\"],\"problems\":[],\"verified\":true}\n");
    EXPECT_EQ(Sim().RemoteParam(nodes[1], PT_ITV), "40");
    EXPECT_EQ(Count(Sim().ReceivedCommands(), "API remote command " + node + " SAV"), 1);

    const SCliRun unknown = Run({"remote", "4321", "read", "--port", Port(), "--retries", "0"});
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_TRUE(Has(unknown.err, TextPrintf(413, "4321")));
}

TEST_F(CliTest, FlashDownloadsTheImageAndRefusesBadImagesBeforeSending) {
    StartSims(1);
    std::string image(1000, '\0');
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    const std::string path = WriteFile("app.bin", image);
    const SCliRun flash = Run({"flash", path, "--port", Port(), "-q"});
    ASSERT_EQ(flash.exitCode, 0) << flash.err;
    const std::vector<uint8_t> flashed = Sim().FlashImage();
    ASSERT_GE(flashed.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flashed.begin(),
                           [](char a, uint8_t b) { return uint8_t(a) == b; }));
    EXPECT_TRUE(Sim().ImageEnabled());

    Sim().ClearReceived();
    const std::string empty = WriteFile("empty.bin", "");
    const std::string large = WriteFile("large.bin", std::string(239553, 'x'));
    const std::string largest = WriteFile("largest.bin", std::string(239552, 'x'));
    struct SCase {
        std::string path, message;
    };
    for (const SCase& c : {SCase{empty, "is empty"}, SCase{large, "is too large: 239553 bytes, at most 239552"},
                           SCase{dir + "/none.bin", "cannot be read"}}) {
        const SCliRun run = Run({"flash", c.path, "--port", Port()});
        EXPECT_EQ(run.exitCode, 2) << c.path;
        EXPECT_TRUE(Has(run.err, c.message)) << run.err;
    }
    EXPECT_TRUE(Sim().ReceivedCommands().empty()) << "nothing is sent for a refused image";
    // The largest image that fits is not refused; a boot loader that never answers is no answer.
    Sim().DropReplies(1000000);
    const SCliRun silent = Run({"flash", largest, "--port", Port(), "--no-restart", "--handshake-wait", "300"});
    EXPECT_EQ(silent.exitCode, 4);
    EXPECT_TRUE(Has(silent.err, Text(406))) << silent.err;
}

// An image that brings back the factory values: the backup and the check say what changed;
// without --restore the values stay reset and the command that restores them is named, with it
// they are written back and verified.
TEST_F(CliTest, FlashChecksTheNewFirmwareAgainstTheBackupAndRestoresOnRequest) {
    StartSims(1);
    Sim().SetImageResetsParams(true);
    const std::string path = WriteFile("app.bin", std::string(640, 'a'));
    for (const bool restore : {false, true}) {
        Sim().SetLocalParam(PT_TYP, "1");
        Sim().SetLocalParam(PT_PID, "4660");
        std::vector<std::string> args = {"flash", path, "--port", Port()};
        if (restore) args.push_back("--restore");
        const SCliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(Has(run.err, TextPrintf(TXT_PARAMS_DIFFER, 1))) << run.err;
        EXPECT_TRUE(Has(run.err, TextPrintf(TXT_PARAM_DIFFERENCE, "PID", "4660", "65535"))) << run.err;
        EXPECT_TRUE(Has(run.err, Text(TXT_APP_BACK).substr(0, 20))) << run.err;
        const size_t backup = run.err.find("backed up to ");
        ASSERT_NE(backup, std::string::npos) << run.err;
        const std::string file = run.err.substr(backup + 13, run.err.find('\n', backup) - backup - 13);
        EXPECT_TRUE(Has(Slurp(file), "PID=4660")) << file;
        EXPECT_EQ(Sim().LocalParam(PT_PID), restore ? "4660" : "65535");
        EXPECT_EQ(Has(run.err, Text(TXT_RESTORE_VERIFIED)), restore) << run.err;
        EXPECT_EQ(Has(run.err, "calyra-cli write " + file + " --port " + Port()), !restore) << run.err;
    }
}

// A download broken off by Ctrl+C leaves the module in its boot loader, silent in its application:
// the next flash goes on without the restart step and fills the boot loader with the image.
TEST_F(CliTest, FlashAfterAnInterruptedOneDownloadsWithoutTheRestartStep) {
    StartSims(1);
    std::string image(64 * 200, '\0');
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = char(i * 13);
    const std::string path = WriteFile("app.bin", image);
    const int pid = Start({"flash", path, "--port", Port()});
    for (int i = 0; i < 1000 && Sim().BlocksReceived() < 20; ++i)
        usleep(10000);
    ASSERT_GE(Sim().BlocksReceived(), 20);
    kill(pid, SIGINT);
    EXPECT_EQ(Wait(pid).exitCode, 130);
    ASSERT_TRUE(Sim().InBootLoader());

    const SCliRun again = Run({"flash", path, "--port", Port()});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(Has(again.err, Text(TXT_RECOVER_STARTED))) << again.err;
    const std::vector<uint8_t> flashed = Sim().FlashImage();
    ASSERT_GE(flashed.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flashed.begin(),
                           [](char a, uint8_t b) { return uint8_t(a) == b; }));
    EXPECT_FALSE(Sim().InBootLoader());
}

TEST_F(CliTest, SendPrintsTheRawReply) {
    StartSims(1);
    const SCliRun text = Run({"send", "AT+VER", "--port", Port(), "-q"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, Sim().LocalParam(PT_SOFT_VERSION) + "\r\nOK\r\n");
    // The boot loader handshake in hex is answered in every state.
    const SCliRun hex = Run({"send", "--hex", "FE 01 4D 04 02 4A", "--port", Port(), "-q"});
    EXPECT_EQ(hex.exitCode, 0) << hex.err;
    EXPECT_EQ(hex.out.rfind("FE ", 0), 0u) << hex.out;
    EXPECT_EQ(Run({"send", "--hex", "FG", "--port", Port()}).exitCode, 2);
}
