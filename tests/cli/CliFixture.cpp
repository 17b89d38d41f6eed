#include "CliFixture.h"
#include "FaultProfile.h"

#include <cstdlib>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void CliTest::SetUp() {
    dir = (std::filesystem::temp_directory_path() /
           ("calyra-cli-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name()))
              .string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/ports");
    setenv("CALYRA_PORTS_DIR", (dir + "/ports").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
}

void CliTest::TearDown() {
    for (auto& s : sims)
        s->Stop();
    sims.clear();
    std::filesystem::remove_all(dir);
}

void CliTest::StartSims(int count) {
    for (int i = 0; i < count; ++i) {
        SSimOptions o;
        o.portsDir = dir + "/ports";
        o.aliasNumber = kFirstAlias + int(sims.size());
        o.nodes = 2;
        o.nwsGapMs = 2;
        o.seed = unsigned(sims.size() + 1); // every module its own MAC
        auto sim = std::make_unique<CSimulator>();
        std::string error;
        ASSERT_TRUE(sim->Start(o, &error)) << error;
        // A fault profile named in CALYRA_SIM_FAULTS replaces the split replies.
        SFaultProfile faults;
        ASSERT_TRUE(FaultProfileFromEnvironment(faults, &error)) << error;
        const char* named = std::getenv("CALYRA_SIM_FAULTS");
        if (named && *named) {
            sim->SetFaultProfile(faults);
        } else {
            sim->SetChunking(3);
            sim->SetLatency(2);
        }
        sims.push_back(std::move(sim));
    }
}

int CliTest::Start(const std::vector<std::string>& args) {
    std::vector<std::string> all = {CALYRA_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    static int serial = 0;
    const std::string base = dir + "/run" + std::to_string(++serial);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (base + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (base + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, CALYRA_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(rc, 0);
    outputs[pid] = base;
    return pid;
}

SCliRun CliTest::Wait(int pid) {
    SCliRun run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = Slurp(outputs[pid] + ".out");
    run.err = Slurp(outputs[pid] + ".err");
    return run;
}

SCliRun CliTest::Run(const std::vector<std::string>& args) {
    return Wait(Start(args));
}

std::string CliTest::WriteFile(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::vector<std::string> CliTest::Writes(const CSimulator& sim) {
    std::vector<std::string> out;
    for (const std::string& c : sim.ReceivedCommands())
        if (c.rfind("AT+", 0) == 0 && (c.find('=') != std::string::npos || c == "AT+SAV")) out.push_back(c);
    return out;
}
