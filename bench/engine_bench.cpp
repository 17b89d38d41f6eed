// Times the engine against the simulator on a pseudo-terminal:
//  1. the bare round trip of one AT read over the pty (write, wait for the reply), no engine;
//  2. full local loads (36 reads) through the engine with zero simulator latency;
//  3. the same load with the line rate of 115200 baud emulated, next to the line-rate limit;
//  4. a full firmware download (3743 blocks and the enable record), zero latency and at 115200 baud,
//     with the engine's telemetry of the latter (percent of the line-rate limit).
// Usage: engine_bench [loads]   (prints one line per measurement)
#include "EngineTestAccess.h"
#include "RecordingHost.h"
#include "Simulator.h"
#include "Texts.h"

#include <cstring>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

constexpr int kAlias = 9;

// Round trips of "AT+PID?" straight over the pty, as the floor of any exchange.
double BareRoundTrip(const std::string& slave, int count) {
    int fd = open(slave.c_str(), O_RDWR | O_NOCTTY);
    auto exchange = [&](const char* text) {
        write(fd, text, strlen(text));
        std::string got;
        while (got.find("OK") == std::string::npos && got.find("ERROR") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0) return false;
            char b[256];
            ssize_t n = read(fd, b, sizeof b);
            if (n <= 0) return false;
            got.append(b, n);
        }
        return true;
    };
    exchange("+++");
    exchange("+++");
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        exchange("AT+PID?\r\n");
    const double t = Seconds(start) / count;
    exchange("AT+SRS\r\n");
    close(fd);
    return t;
}

struct SRun {
    double seconds;
    long lineBytes;
};

// lineBytes: what the line carried both ways (the simulator counts it), escapes included.
SRun Loads(CEngine& engine, CSimulator& sim, CUiDispatcher& ui, CRecordingHost& host, int loads) {
    CEngineTestAccess inside(engine);
    const long before = sim.LineBytes();
    const auto start = Clock::now();
    for (int i = 0; i < loads; ++i) {
        engine.LoadParams();
        ui.PumpUntil([&] { return !host.jobRunning && inside.pendingQueue.IsEmpty(); }, 60000);
    }
    return {Seconds(start), sim.LineBytes() - before};
}

double Download(CEngine& engine, CUiDispatcher& ui, CRecordingHost& host, const std::string& image) {
    host.log.clear();
    engine.OnUpgradeRequest(0, image + ",0");
    // The transfer starts when the boot loader has answered a handshake (the first one goes out
    // one handshake period after the request); time the transfer from there.
    ui.PumpUntil([&] { return host.Logged(Text(275)) || !engine.IsOpen(); }, 10000);
    const auto start = Clock::now();
    ui.PumpUntil([&] { return host.Logged(Text(273)) || !engine.IsOpen(); }, 600000);
    const double seconds = Seconds(start);
    // The check of the new application follows; the next download waits for its end.
    ui.PumpUntil([&] { return engine.UpgradePhase() == CEngine::UP_NONE && !host.jobRunning; }, 60000);
    return seconds;
}
} // namespace

int main(int argc, char** argv) {
    const int loads = argc > 1 ? std::atoi(argv[1]) : 20;
    const auto dir = std::filesystem::temp_directory_path() / ("calyra-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    setenv("CALYRA_PORTS_DIR", dir.c_str(), 1);

    CSimulator sim;
    SSimOptions o;
    o.portsDir = dir.string();
    o.aliasNumber = kAlias;
    std::string error;
    if (!sim.Start(o, &error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    const double bare = BareRoundTrip(sim.SlavePath(), 200);
    std::printf("bare pty round trip of one AT read:        %8.1f us\n", bare * 1e6);

    CRecordingHost host;
    CUiDispatcher ui;
    ui.BindToCurrentThread();
    STimings timings; // the real waits: a hidden wait would show
    CEngine engine(host, ui, timings);
    if (!engine.OpenPort(kAlias, 115200, 8, 0, 0)) {
        std::fprintf(stderr, "open: %s\n", engine.LastErrorText().c_str());
        return 1;
    }
    // The first load includes the escape phase; time it apart.
    SRun first = Loads(engine, sim, ui, host, 1);
    std::printf("first load (escape + 36 reads):            %8.1f ms\n", first.seconds * 1e3);
    SRun fast = Loads(engine, sim, ui, host, loads);
    const double perCommand = fast.seconds / (loads * 36.0);
    std::printf(
        "load, zero latency: %d loads in %.3f s:     %8.1f us per command, %.1fx the bare round trip\n",
        loads, fast.seconds, perCommand * 1e6, perCommand / bare);

    sim.SetLineRate(115200);
    SRun line = Loads(engine, sim, ui, host, 2);
    // The escape phase waits for the module; the line carries the commands and the replies.
    std::printf("load at 115200 baud:                       %8.3f s per load, line-rate limit of its %ld "
                "bytes %.3f s\n",
                line.seconds / 2, line.lineBytes / 2, line.lineBytes / 2 / 11520.0);

    const auto image = dir / "image.bin";
    {
        std::ofstream f(image, std::ios::binary);
        for (int i = 0; i < 239552; ++i)
            f.put(static_cast<char>(i * 7));
    }
    sim.SetLineRate(0);
    const double fastDownload = Download(engine, ui, host, image.string());
    std::printf("transfer of 3743 blocks + enable, zero latency: %8.3f s, %.1f us per block\n", fastDownload,
                fastDownload / 3744 * 1e6);
    sim.SetLineRate(115200);
    const double slowDownload = Download(engine, ui, host, image.string());
    // Per block: 71 bytes out and the boot loader's reply back (0xFE, LEN, 2 command bytes, status, FCS).
    const double limit = 3744.0 * (71 + 6) / 11520.0;
    std::printf("transfer at 115200 baud:                   %8.3f s, line-rate limit %.3f s, ratio %.3f\n",
                slowDownload, limit, slowDownload / limit);
    // The engine's own figures of that transfer, as the progress dialog and the log show them.
    const CTransferTelemetry& t = engine.Telemetry();
    std::printf("telemetry at 115200 baud: %ld bytes in %.3f s, %.0f bytes/s, %.1f %% of the line-rate limit "
                "(%.0f bytes/s)\n",
                t.Sent(), t.Seconds(), t.BytesPerSecond(), t.PercentOfLimit(), t.LimitBytesPerSecond());
    engine.ClosePort();
    sim.Stop();
    std::filesystem::remove_all(dir);
    return 0;
}
