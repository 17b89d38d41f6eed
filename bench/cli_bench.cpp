// Units per hour of calyra-cli provision with 1, 4 and 8 slots, each a simulator at 115200 baud
// line-rate emulation, measured side by side in one run. Per unit a slot reads the module, writes
// the differences of the recipe's set with the unit's node address, saves and verifies. When a
// slot has recorded a unit, its simulator turns into the next module: a new MAC address and the
// set's values back to the factory ones.
// Usage: cli_bench [units per slot]
#include "ParamCatalogue.h"
#include "Simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kFirstAlias = 60;
constexpr double kLineBytesPerSecond = 115200 / 10.0;
const std::vector<std::pair<int, std::string>> kSet = {{PT_PID, "4660"}, {PT_TYP, "1"}, {PT_CHA, "20"}};
const std::vector<std::pair<int, std::string>> kFactory = {{PT_PID, "65535"}, {PT_TYP, "0"}, {PT_CHA, "11"}};

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

// Bytes on the line of what the simulator received since its last ClearReceived, with the
// replies the protocol gives them: the least time a unit can take at the line rate.
long LineBytes(const CSimulator& sim) {
    long bytes = 0;
    for (const std::string& c : sim.ReceivedCommands()) {
        if (c == "+++") {
            bytes += 3 + 4; // "OK\r\n"
            continue;
        }
        bytes += long(c.size()) + 2;
        const SParamInfo* p = nullptr;
        for (int code = PT_SOFT_VERSION; code <= PT_TLK && !p; ++code) {
            const SParamInfo* q = FindParam(code);
            if (q && q->readCmd && c == q->readCmd) p = q;
        }
        if (!p) {
            bytes += 4; // a write or a command: "OK\r\n"
            continue;
        }
        const std::string value = sim.LocalParam(p->code);
        bytes += long(value.size()) + 2 + 4 + (p->mnemonic ? 5 : 0);
    }
    return bytes;
}

struct SResult {
    double seconds;
    int units;
    long unitBytes;
};

SResult Station(const std::string& cli, const std::string& dir, int slots, int unitsPerSlot) {
    std::vector<std::unique_ptr<CSimulator>> sims;
    for (int i = 0; i < slots; ++i) {
        SSimOptions o;
        o.portsDir = dir + "/ports";
        o.aliasNumber = kFirstAlias + i;
        o.seed = unsigned(100 * slots + i + 1);
        o.lineRateBaud = 115200;
        auto sim = std::make_unique<CSimulator>();
        std::string error;
        if (!sim->Start(o, &error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            std::exit(1);
        }
        sims.push_back(std::move(sim));
    }
    const std::string db = dir + "/bench-" + std::to_string(slots) + ".db";
    std::filesystem::remove(db);
    const std::string err = dir + "/bench-" + std::to_string(slots) + ".err";
    std::vector<std::string> args = {cli,       "provision", dir + "/recipe.ini", "--units", std::to_string(unitsPerSlot),
                                     "--records", db,        "--poll",          "10", "--log", dir + "/bench-" + std::to_string(slots) + ".log"};
    for (int i = 0; i < slots; ++i) {
        args.push_back("--port");
        args.push_back("COM" + std::to_string(kFirstAlias + i));
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = Clock::now();
    pid_t pid = -1;
    posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);

    // The next module: when a slot's unit line appears, its simulator gets a new MAC and the
    // factory values again.
    std::vector<int> seen(slots, 0);
    long firstUnitBytes = 0;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        const std::string text = Slurp(err);
        for (int i = 0; i < slots; ++i) {
            const int told = Occurrences(text, "COM" + std::to_string(kFirstAlias + i) + ": unit ");
            if (told == seen[i]) continue;
            seen[i] = told;
            if (i == 0 && told == 2) firstUnitBytes = LineBytes(*sims[0]);
            char mac[32];
            std::snprintf(mac, sizeof mac, "00124B%02X%02X%06X", slots, i, told);
            sims[i]->SetLocalParam(PT_MID, mac);
            for (const auto& [code, value] : kFactory)
                sims[i]->SetLocalParam(code, value);
            if (i == 0 && told == 1) sims[0]->ClearReceived(); // the second unit is counted
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "provision with %d slots failed:\n%s", slots, Slurp(err).c_str());
        std::exit(1);
    }
    for (auto& s : sims)
        s->Stop();
    return {seconds, slots * unitsPerSlot, firstUnitBytes};
}
} // namespace

int main(int argc, char** argv) {
    const int units = argc > 1 ? std::max(2, std::atoi(argv[1])) : 4;
    const std::string cli = (std::filesystem::path(argv[0]).parent_path() / "calyra-cli").string();
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("calyra-cli-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir + "/ports");
    setenv("CALYRA_PORTS_DIR", (dir + "/ports").c_str(), 1);
    {
        std::ofstream set(dir + "/set.ini");
        set << "[CONFIG]\n";
        for (const auto& [code, value] : kSet)
            set << FindParam(code)->mnemonic << "=" << value << "\n";
        std::ofstream(dir + "/recipe.ini") << "[RECIPE]\nParamSet=set.ini\nStation=bench\n[RULES]\nNID=counter:1-60000\n";
    }
    std::printf("calyra-cli provision, %d units per slot, simulators at 115200 baud line rate\n", units);
    double oneSlot = 0;
    for (int slots : {1, 4, 8}) {
        const SResult r = Station(cli, dir, slots, units);
        const double perHour = r.units / r.seconds * 3600;
        if (slots == 1) oneSlot = perHour;
        const double perUnit = r.seconds / units; // one slot's time per unit
        std::printf("%d slot(s): %3d units in %6.2f s = %7.0f units/hour (%.2fx one slot); per unit %.3f s, "
                    "line-rate limit of its %ld bytes %.3f s\n",
                    slots, r.units, r.seconds, perHour, perHour / oneSlot, perUnit, r.unitBytes,
                    r.unitBytes / kLineBytesPerSecond);
    }
    if (!std::getenv("CLI_BENCH_KEEP")) std::filesystem::remove_all(dir);
    else std::printf("logs kept in %s\n", dir.c_str());
    return 0;
}
