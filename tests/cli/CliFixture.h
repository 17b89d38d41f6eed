#pragma once

// The real calyra-cli program against simulators on pseudo-terminals: each simulator behind a
// COM alias in a temporary ports folder, under the split-reply fault profile (replies in random
// pieces of at most three bytes, a little latency) unless a test clears it, or under the profile
// CALYRA_SIM_FAULTS names.
#include "ParamCatalogue.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The whole content of a file ("" when it cannot be read).
std::string Slurp(const std::string& path);

struct SCliRun {
    int exitCode = -1;
    std::string out, err;
};

class CliTest : public ::testing::Test {
  protected:
    static constexpr int kFirstAlias = 40;

    void SetUp() override;
    void TearDown() override;

    // Starts count simulators as COM40, COM41, ...
    void StartSims(int count);
    CSimulator& Sim(int i = 0) { return *sims[i]; }
    std::string Port(int i = 0) const { return "COM" + std::to_string(kFirstAlias + i); }
    // Runs calyra-cli with args and waits for it.
    SCliRun Run(const std::vector<std::string>& args);
    // Starts calyra-cli and returns its process id; Wait collects it.
    int Start(const std::vector<std::string>& args);
    SCliRun Wait(int pid);
    // A file in the test's folder with text; its path.
    std::string WriteFile(const std::string& name, const std::string& text);
    // The AT lines the simulator received that start with "AT+" and hold "=" or are AT+SAV.
    static std::vector<std::string> Writes(const CSimulator& sim);

    std::string dir;
    std::vector<std::unique_ptr<CSimulator>> sims;
    std::map<int, std::string> outputs; // process id -> base name of its output files
};
