// The firmware download as a transaction against the simulator: the backup before the restart
// step, the check of the new application, the restore of parameters a new image reset, the
// recovery of a module left in its boot loader, and the transfer's figures.
#include "BackupFiles.h"
#include "ConfigFile.h"
#include "EngineFixture.h"
#include "FaultProfile.h"
#include "ParamDiff.h"
#include "Texts.h"
#include "TextUtil.h"

#include <map>

namespace {
// Values that differ from the factory ones, so an image that resets the module shows them.
const std::map<int, std::string> kOwnValues = {
    {PT_PID, "4660"},   {PT_CHA, "20"}, {PT_NID, "1234"}, {PT_ITV, "100"}, {PT_DT0 + 1, "500"},
    {PT_KEY, "00112233445566778899AABBCCDDEEFF"}};

std::map<int, std::string> Values(const std::vector<SCmdItem>& records) {
    std::map<int, std::string> out;
    for (const SCmdItem& r : records)
        out[r.type] = r.Text();
    return out;
}

// The values of a parameter set file (the link key is never read back from one).
std::map<int, std::string> FileValues(const std::string& path) {
    std::map<int, std::string> out;
    for (const SCmdResult& r : ReadConfigFile(path))
        out[r.type] = r.values.at(0);
    return out;
}
} // namespace

class UpgradeTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A router with an assigned address: a coordinator's address 0 is not writable.
        sim.SetLocalParam(PT_TYP, "1");
        for (const auto& [code, value] : kOwnValues)
            sim.SetLocalParam(code, value);
        // The prompts: yes to a restore or a recovery, no to reading or writing failures again.
        host.onPrompt = [this] {
            const std::string& p = host.prompts.back();
            host.promptAnswer = p == Text(209) || p == Text(210) ? MB_RESULT_NO : answer;
            if (p.find("Restore") != std::string::npos) backupAtCheck = inside->backupValues;
        };
    }
    void TearDown() override {
        if (HasFailure())
            for (const std::string& line : host.log)
                std::printf("log: %s\n", line.c_str());
        EngineTest::TearDown();
    }
    // The module's values of the codes of like.
    std::map<int, std::string> SimValues(const std::map<int, std::string>& like) const {
        std::map<int, std::string> out;
        for (const auto& [code, value] : like)
            out[code] = sim.LocalParam(code);
        return out;
    }
    // The backup files written so far.
    std::vector<std::string> Backups() const {
        std::vector<std::string> out;
        const auto dir = portsDir / "state" / "calyra" / "backups";
        if (std::filesystem::is_directory(dir))
            for (const auto& e : std::filesystem::directory_iterator(dir))
                out.push_back(e.path().string());
        return out;
    }
    void UseProfile(const char* name) {
        SFaultProfile p;
        ASSERT_TRUE(FaultProfileByName(name, p));
        sim.SetFaultProfile(p);
    }
    void Download(const std::filesystem::path& image, int restart) {
        engine->OnUpgradeRequest(0, image.string() + "," + std::to_string(restart));
    }
    // The whole transaction has ended: transfer, check, and a restore if there was one.
    bool TransactionEnds(int ms = 20000) {
        return PumpUntil([&] { return engine->UpgradePhase() == CEngine::UP_NONE && !host.jobRunning; }, ms);
    }
    int answer = MB_RESULT_YES;
    std::vector<SCmdItem> backupAtCheck; // the engine's backup when the restore was offered

    std::vector<std::string> LinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& l : host.log)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
};

// The backup is written before the restart step, named by the MAC, and holds the module's values;
// the new application is read and its version shown; an image that keeps the values shows no
// difference. Under the split fault profile (replies in random pieces).
TEST_F(UpgradeTest, BackupBeforeAndCheckAfterWithAnImageThatKeepsTheValues) {
    UseProfile("split");
    const std::string oldVersion = sim.LocalParam(PT_SOFT_VERSION);
    ASSERT_TRUE(Open());
    const auto image = portsDir / "fw.bin";
    WriteImage(image, 64 * 30 + 5);
    Download(image, 1);
    ASSERT_TRUE(TransactionEnds());

    ASSERT_EQ(Backups().size(), 1u);
    const std::string path = Backups()[0];
    const std::string mac = sim.LocalParam(PT_MID);
    EXPECT_EQ(std::filesystem::path(path).filename().string().rfind(mac + "-", 0), 0u) << path;
    EXPECT_EQ(inside->backupValues.size(), 0u); // used up by the check
    const std::map<int, std::string> values = FileValues(path);
    EXPECT_EQ(values.size(), 32u); // every writable parameter but the link key, never read from a file
    EXPECT_EQ(values, SimValues(values));
    for (const auto& [code, value] : kOwnValues)
        EXPECT_EQ(values.at(code), value);
    EXPECT_TRUE(host.Logged(TextPrintf(TXT_BACKUP_WRITTEN, path.c_str())));

    // The backup came before the restart request, the check's reads after the enable frame.
    const std::vector<std::string> seen = sim.ReceivedCommands();
    const auto at = [&](const std::string& c) { return std::find(seen.begin(), seen.end(), c) - seen.begin(); };
    EXPECT_LT(at("AT+PID?"), at("API restart 02"));
    EXPECT_LT(at("BOOT enable"), static_cast<long>(seen.size()));
    EXPECT_NE(std::find(seen.begin() + at("BOOT enable"), seen.end(), "AT+PID?"), seen.end());

    EXPECT_NE(host.softVersion, oldVersion);
    EXPECT_EQ(host.softVersion, sim.LocalParam(PT_SOFT_VERSION));
    EXPECT_TRUE(host.Logged(TextPrintf(TXT_APP_BACK, host.softVersion.c_str())));
    EXPECT_TRUE(host.Logged(TextPrintf(TXT_PARAMS_EQUAL, 33)));
    EXPECT_TRUE(host.prompts.empty());
}

// An image that brings back the factory values: the differences listed are exactly the values
// the reset changed, and the restore writes, saves and reads back every one of them.
TEST_F(UpgradeTest, RestoreAfterAnImageThatResetsTheParameters) {
    sim.SetImageResetsParams(true);
    UseProfile("split");
    ASSERT_TRUE(Open());
    const auto image = portsDir / "fw.bin";
    WriteImage(image, 64 * 20);
    std::map<int, std::string> atPrompt;
    const auto answerPrompt = host.onPrompt;
    host.onPrompt = [&] {
        answerPrompt();
        atPrompt = SimValues(Values(backupAtCheck));
    };
    const int savesBefore = sim.SaveCount();
    Download(image, 1);
    ASSERT_TRUE(TransactionEnds());

    const std::vector<SCmdItem>& backup = backupAtCheck;
    ASSERT_EQ(Backups().size(), 1u);
    EXPECT_EQ(FileValues(Backups()[0]), [&] {
        auto v = Values(backup);
        v.erase(PT_TLK);
        return v;
    }());
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0], TextPrintf(TXT_RESTORE_PROMPT, static_cast<int>(kOwnValues.size())));
    std::vector<std::string> expected;
    for (const auto& [code, value] : kOwnValues)
        expected.push_back(TextPrintf(TXT_PARAM_DIFFERENCE, ParamCaption(code).c_str(), value.c_str(),
                                  atPrompt[code].c_str()));
    std::vector<std::string> listed = LinesStartingWith("    ");
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    for (const auto& [code, value] : kOwnValues)
        EXPECT_NE(atPrompt[code], value) << ParamCaption(code); // the image did reset them

    EXPECT_EQ(backup.size(), 33u);
    EXPECT_EQ(SimValues(Values(backup)), Values(backup)); // every value is back on the module
    EXPECT_EQ(Values(backup), [&] {
        std::vector<SCmdItem> now;
        host.CollectParamList(now);
        return Values(now);
    }());
    EXPECT_GT(sim.SaveCount(), savesBefore);
    EXPECT_TRUE(host.Logged(Text(TXT_RESTORE_VERIFIED)));
    // Saved, not only written: a restart keeps them.
    sim.PowerCycle();
    EXPECT_EQ(SimValues(Values(backup)), Values(backup));
}

// A coordinator reads node address 0, which no write gives (its role sets it): an image that resets
// it to a router lists and restores the node type, and the restore verifies.
TEST_F(UpgradeTest, CoordinatorsAddressIsNeitherRestoredNorComparedAfterAReset) {
    sim.SetImageResetsParams(true);
    sim.SetLocalParam(PT_TYP, "0");
    sim.SetLocalParam(PT_NID, "0");
    ASSERT_TRUE(Open());
    const auto image = portsDir / "fw.bin";
    WriteImage(image, 64 * 4);
    Download(image, 1);
    ASSERT_TRUE(TransactionEnds());
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0], TextPrintf(TXT_RESTORE_PROMPT, static_cast<int>(kOwnValues.size())))
        << "node type and the own values, without the coordinator's address";
    EXPECT_EQ(FileValues(Backups().at(0)).at(PT_NID), "0") << "the backup file keeps what was read";
    EXPECT_TRUE(host.Logged(Text(TXT_RESTORE_VERIFIED)));
    EXPECT_EQ(sim.LocalParam(PT_TYP), "0");
    const std::vector<std::string> seen = sim.ReceivedCommands();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "AT+NID=0"), 0);
}

// A transfer broken off at block 1000 leaves the module in its boot loader. The next request with
// the restart step offers to go without it; the download then starts with the handshake, the
// flash equals the file, and the check compares with the backup of the broken attempt.
TEST_F(UpgradeTest, DownloadBrokenAtBlockThousandIsRecoveredWithoutTheRestartStep) {
    UseProfile("double-ok"); // the transfer runs clean: 4,700 blocks of split replies take half a minute
    ASSERT_TRUE(Open());
    const auto path = portsDir / "full.bin";
    const std::vector<uint8_t> image = WriteImage(path, 239552);
    Download(path, 1);
    ASSERT_TRUE(PumpUntil([&] { return sim.BlocksReceived() >= 1000; }, 30000));
    sim.DropReplies(1000); // the line breaks: no more replies
    ASSERT_TRUE(PumpUntil([&] { return host.Logged(Text(272)); }, 5000));
    ASSERT_TRUE(TransactionEnds());
    EXPECT_TRUE(host.Logged(Text(TXT_LEFT_IN_BOOT)));
    EXPECT_TRUE(sim.InBootLoader());
    EXPECT_LT(sim.BlocksReceived(), 1010);
    ASSERT_EQ(Backups().size(), 1u);

    sim.DropReplies(0);
    sim.PowerCycle(); // also across a power cycle the boot loader keeps control
    sim.ClearReceived();
    host.log.clear();
    Download(path, 1);
    ASSERT_TRUE(TransactionEnds(60000));
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0], Text(TXT_RECOVER_PROMPT));
    EXPECT_TRUE(host.Logged(Text(TXT_RECOVER_STARTED)));
    const std::vector<std::string> seen = sim.ReceivedCommands();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "BOOT handshake");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "API restart 02"), 0);
    EXPECT_EQ(sim.FlashImage(), image);
    EXPECT_TRUE(sim.ImageEnabled());
    EXPECT_EQ(Backups().size(), 1u); // no second backup: the module could not be read
    EXPECT_TRUE(host.Logged(TextPrintf(TXT_PARAMS_EQUAL, 33)));
    EXPECT_FALSE(sim.InBootLoader());
}

// A module in its boot loader that this session did not leave there (the program was restarted):
// the backup's entry fails, and the operator is offered the download without the restart step.
TEST_F(UpgradeTest, UnreachableModuleIsOfferedTheDownloadWithoutRestart) {
    ASSERT_TRUE(Open());
    const auto path = portsDir / "fw.bin";
    const std::vector<uint8_t> image = WriteImage(path, 64 * 50);
    Download(path, 0);
    ASSERT_TRUE(PumpUntil([&] { return sim.BlocksReceived() >= 10; }));
    engine->OnJobAbort();
    ASSERT_TRUE(TransactionEnds());
    engine = std::make_unique<CEngine>(host, ui, STimings::Fast()); // a new session
    ASSERT_TRUE(Open());
    host.log.clear();
    Download(path, 1);
    ASSERT_TRUE(TransactionEnds());
    EXPECT_TRUE(host.Logged(Text(267)));
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0], Text(TXT_RECOVER_UNREACHED_PROMPT));
    EXPECT_TRUE(Backups().empty());
    EXPECT_EQ(sim.FlashImage(), image);
    EXPECT_TRUE(sim.ImageEnabled());
}

// A backup that cannot be written stops the download before the module is touched.
TEST_F(UpgradeTest, UnwritableBackupStopsTheDownload) {
    std::ofstream(portsDir / "blocker") << "a file where the state folder would go";
    setenv("XDG_STATE_HOME", (portsDir / "blocker" / "state").c_str(), 1);
    ASSERT_TRUE(Open());
    const auto path = portsDir / "fw.bin";
    WriteImage(path, 64 * 5);
    Download(path, 1);
    ASSERT_TRUE(TransactionEnds());
    const std::string failed = Text(TXT_BACKUP_FAILED);
    ASSERT_EQ(LinesStartingWith(failed.substr(0, failed.find('('))).size(), 1u);
    ui.PumpFor(100);
    const std::vector<std::string> seen = sim.ReceivedCommands();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "API restart 02"), 0);
    EXPECT_FALSE(sim.InBootLoader());
    EXPECT_EQ(inside->imageFile, nullptr);
}

// The figures of a whole transfer at exactly the line-rate limit, and partway through it.
TEST(TransferTelemetry, FiguresAgainstTheLineRateLimit) {
    using Clock = CTransferTelemetry::Clock;
    struct SCase {
        int dataBits, parity, stopBits;
        double bits;
    };
    for (SCase c : {SCase{8, 0, 0, 10}, SCase{8, 2, 0, 11}, SCase{7, 1, 2, 11}, SCase{8, 0, 1, 10.5}})
        EXPECT_DOUBLE_EQ(BitsPerChar(c.dataBits, c.parity, c.stopBits), c.bits);

    CTransferTelemetry t;
    const Clock::time_point t0{};
    t.Start(239552, 115200, 10, t0);
    const auto perBlock = std::chrono::nanoseconds(77LL * 10 * 1'000'000'000 / 115200);
    for (int b = 1; b <= 3743; ++b) {
        t.BlockDone(t0 + perBlock * b);
        if (b == 1871) {
            EXPECT_EQ(t.Sent(), 1871 * 64);
            EXPECT_NEAR(t.SecondsLeft(), 1872 * 77 * 10 / 115200.0, 0.01);
            EXPECT_TRUE(t.TenthCrossed());
            EXPECT_FALSE(t.TenthCrossed());
        }
    }
    EXPECT_EQ(t.Sent(), 239552);
    EXPECT_NEAR(t.LimitBytesPerSecond(), 11520.0 * 64 / 77, 1e-9);
    EXPECT_NEAR(t.PercentOfLimit(), 100.0, 0.01);
    EXPECT_EQ(t.SecondsLeft(), 0);
    EXPECT_EQ(t.ProgressText(), TextPrintf(TXT_TRANSFER_PROGRESS, 239552L, 239552L, t.BytesPerSecond(),
                                       t.PercentOfLimit(), 115200u, "0:00"));
    EXPECT_EQ(MinutesSeconds(24.01), "0:25");
    EXPECT_EQ(MinutesSeconds(125), "2:05");
}

// Backups go under XDG_STATE_HOME, else ~/.local/state; names never overwrite one another.
TEST(BackupFiles, FolderAndNames) {
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const std::string keep = savedState ? savedState : "";
    setenv("XDG_STATE_HOME", "/var/tmp/st", 1);
    EXPECT_EQ(BackupFolder(), "/var/tmp/st/calyra/backups");
    setenv("XDG_STATE_HOME", "relative", 1); // not absolute: ignored
    EXPECT_EQ(BackupFolder(), std::string(std::getenv("HOME")) + "/.local/state/calyra/backups");
    savedState ? setenv("XDG_STATE_HOME", keep.c_str(), 1) : unsetenv("XDG_STATE_HOME");

    const auto dir = std::filesystem::temp_directory_path() / ("calyra-backups-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::time_t when = 1700000000;
    const std::string first = NewBackupPath(dir.string(), "00:12:4B:00/01", when);
    EXPECT_EQ(std::filesystem::path(first).filename().string().substr(0, 13), "00124B0001-20");
    std::ofstream(first) << "x";
    const std::string second = NewBackupPath(dir.string(), "00:12:4B:00/01", when);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second.ends_with("-2.ini"));
    EXPECT_EQ(std::filesystem::path(NewBackupPath(dir.string(), "", when)).filename().string().rfind("unknown-", 0), 0u);
    std::filesystem::remove_all(dir);
}

// Values compare as a save compares them; a value missing from the new set is a difference.
TEST(ParamDiff, DifferencesAsASaveSeesThem) {
    const std::vector<SCmdItem> before = {MakeValueRecord(PT_PID, "4660"), MakeValueRecord(PT_KEY, "abcd"),
                                          MakeValueRecord(PT_CHA, "20"), MakeValueRecord(PT_ITV, "100")};
    const std::vector<SCmdItem> now = {MakeValueRecord(PT_PID, "4660\r\n"), MakeValueRecord(PT_KEY, "ABCD"),
                                       MakeValueRecord(PT_CHA, "11")};
    const std::vector<SParamDifference> d = CompareParamSets(before, now);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].code, PT_CHA);
    EXPECT_EQ(d[0].before, "20");
    EXPECT_EQ(d[0].now, "11");
    EXPECT_EQ(d[1].code, PT_ITV);
    EXPECT_EQ(d[1].now, "");
}
