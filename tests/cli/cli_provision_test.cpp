// provision on several simulated modules at once, the station records in a real SQLite file,
// records --csv, and a station stopped with Ctrl+C.
#include "CliFixture.h"

#include <csignal>
#include <set>
#include <sstream>
#include <thread>

namespace {
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream l(line);
        std::string f;
        while (std::getline(l, f, ','))
            fields.push_back(f);
        rows.push_back(fields);
    }
    return rows;
}
} // namespace

TEST_F(CliTest, ProvisionOfEightModulesAtOnceRecordsEveryUnit) {
    constexpr int kSlots = 8;
    StartSims(kSlots);
    WriteFile("base.ini", "[CONFIG]\nPID=4660\nTYP=1\nCHA=20\n");
    WriteFile("keys.txt", "# network keys, one per unit\n" + [] {
        std::string keys;
        for (int i = 0; i < kSlots; ++i)
            keys += "000102030405060708090A0B0C0D0E" + std::string(1, "0123456789ABCDEF"[i]) + "F\n";
        return keys;
    }());
    const std::string recipe =
        WriteFile("line.ini", "[RECIPE]\nParamSet=base.ini\nStation=line-1\n[RULES]\nNID=counter:100-199\nKEY=list:keys.txt\n");
    std::vector<std::string> args = {"provision", recipe, "--units", "1", "--records", dir + "/st.db"};
    for (int i = 0; i < kSlots; ++i) {
        args.push_back("--port");
        args.push_back(Port(i));
    }
    const SCliRun run = Run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Station line-1: 8 unit(s), 8 passed, 0 failed.\n");

    const SCliRun listed = Run({"records", "--csv", "--records", dir + "/st.db"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const auto rows = CsvRows(listed.out);
    ASSERT_EQ(rows.size(), size_t(kSlots + 1)) << listed.out;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"id", "time", "station", "port", "mac", "firmware_before",
                                                  "firmware_after", "params_hash", "result", "reason",
                                                  "unit_values"}));
    std::set<std::string> ports, nids, keys;
    for (size_t r = 1; r < rows.size(); ++r) {
        const auto& f = rows[r];
        ASSERT_EQ(f.size(), 11u) << listed.out;
        const int slot = std::stoi(f[3].substr(3)) - kFirstAlias;
        ASSERT_TRUE(slot >= 0 && slot < kSlots) << f[3];
        CSimulator& sim = Sim(slot);
        EXPECT_EQ(f[2], "line-1");
        EXPECT_EQ(f[4], sim.LocalParam(PT_MID));
        EXPECT_EQ(f[5], sim.LocalParam(PT_SOFT_VERSION));
        EXPECT_EQ(f[8], "passed");
        EXPECT_EQ(f[9], "");
        EXPECT_EQ(f[7].size(), 16u);
        // The record's unit values are what the module holds now.
        EXPECT_EQ(f[10], "NID=" + sim.LocalParam(PT_NID) + ";KEY=" + sim.LocalParam(PT_KEY));
        EXPECT_EQ(sim.LocalParam(PT_PID), "4660");
        EXPECT_EQ(sim.SaveCount(), 1);
        ports.insert(f[3]);
        nids.insert(sim.LocalParam(PT_NID));
        keys.insert(sim.LocalParam(PT_KEY));
    }
    EXPECT_EQ(ports.size(), size_t(kSlots));
    EXPECT_EQ(nids.size(), size_t(kSlots)) << "every unit its own counter value";
    EXPECT_EQ(keys.size(), size_t(kSlots)) << "every unit its own key";
    for (const std::string& nid : nids)
        EXPECT_TRUE(std::stoi(nid) >= 100 && std::stoi(nid) < 100 + kSlots) << nid;
}

TEST_F(CliTest, ProvisionSlotsRunOnTheirOwnAndCtrlCEndsWithASummary) {
    StartSims(3);
    WriteFile("base.ini", "[CONFIG]\nPID=4660\n");
    const std::string recipe = WriteFile("r.ini", "[RECIPE]\nParamSet=base.ini\n[RULES]\nNID=counter:7-9\n");
    Sim(1).SetEscapeMode(CSimulator::ESC_SILENT); // no module on this slot yet
    Sim(2).KeepValue(PT_NID, true);               // a unit that fails its verify
    const int pid = Start({"provision", recipe, "--port", Port(0), "--port", Port(1), "--port", Port(2),
                           "--records", dir + "/st.db", "--station", "s1", "--poll", "50"});
    // Both answering slots record their unit while the silent one keeps waiting.
    const auto told = [&](const std::string& port) {
        return Slurp(outputs[pid] + ".err").find(port + ": unit ") != std::string::npos;
    };
    for (int i = 0; i < 400 && !(told(Port(0)) && told(Port(2))); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    kill(pid, SIGINT);
    const SCliRun run = Wait(pid);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_EQ(run.out, "Station s1: 2 unit(s), 1 passed, 1 failed.\n") << run.err;
    const SCliRun listed = Run({"records", "--csv", "--records", dir + "/st.db"});
    const auto rows = CsvRows(listed.out);
    ASSERT_EQ(rows.size(), 3u) << listed.out;
    for (size_t r = 1; r < rows.size(); ++r) {
        const bool failing = rows[r][3] == Port(2);
        EXPECT_EQ(rows[r][8], failing ? "failed" : "passed");
        if (failing)
            EXPECT_TRUE(rows[r][9].find("Verify failed: NID") != std::string::npos) << rows[r][9];
        else
            EXPECT_EQ(rows[r][10], "NID=" + Sim(0).LocalParam(PT_NID));
    }
}

TEST_F(CliTest, RecipeProblemsAreReportedBeforeAnySlotStarts) {
    StartSims(1);
    WriteFile("base.ini", "[CONFIG]\nPID=4660\n");
    WriteFile("keys.txt", "0011\n");
    const std::string recipe = WriteFile(
        "bad.ini", "[RECIPE]\nParamSet=base.ini\nFirmware=none.bin\n[RULES]\nNID=counter:0-5\nKEY=list:keys.txt\nMID=counter:1-2\n");
    const SCliRun run = Run({"provision", recipe, "--port", Port(), "--records", dir + "/st.db"});
    EXPECT_EQ(run.exitCode, 2);
    for (const char* part : {"none.bin cannot be read", "line 5: \"counter:0-5\": 0 is out of range",
                             "keys.txt, line 1: KEY=0011 is out of range", "line 7: \"MID\" is no parameter"})
        EXPECT_TRUE(run.err.find(part) != std::string::npos) << part << "\n" << run.err;
    EXPECT_TRUE(Sim().ReceivedCommands().empty());
}
