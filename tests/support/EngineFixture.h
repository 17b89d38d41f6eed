#pragma once

// A headless window for engine tests: a recording host, a dispatcher bound to the test thread,
// the simulator on a pseudo-terminal behind a COM alias in a temporary ports folder (with the
// fault profile named by $CALYRA_SIM_FAULTS), and the engine with shortened timings.
#include "EngineTestAccess.h"
#include "RecordingHost.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

class EngineTest : public ::testing::Test {
  protected:
    static constexpr int kAlias = 7;

    void SetUp() override {
        portsDir = std::filesystem::temp_directory_path() /
                   ("calyra-engine-" + std::to_string(getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(portsDir);
        setenv("CALYRA_PORTS_DIR", portsDir.c_str(), 1);
        setenv("XDG_STATE_HOME", (portsDir / "state").c_str(), 1); // backups before a download
        ui.BindToCurrentThread();
        options.portsDir = portsDir.string();
        options.aliasNumber = kAlias;
        options.nodes = 3;
        options.nwsGapMs = 2;
        std::string error;
        ASSERT_TRUE(FaultProfileFromEnvironment(options.faults, &error)) << error;
        RestartSim();
        engine = std::make_unique<CEngine>(host, ui, STimings::Fast());
    }
    void TearDown() override {
        engine.reset();
        sim.Stop();
        std::filesystem::remove_all(portsDir);
    }
    // A fresh module in the transparent state, every fault but the profile's cleared.
    void RestartSim() {
        sim.Stop();
        std::string error;
        ASSERT_TRUE(sim.Start(options, &error)) << error;
    }
    bool Open() { return engine->OpenPort(kAlias, 115200, 8, 0, 0); }
    // A firmware image of random bytes (the same for a given size).
    static std::vector<uint8_t> WriteImage(const std::filesystem::path& path, size_t size) {
        std::vector<uint8_t> image(size);
        std::mt19937 rng(7);
        for (auto& b : image)
            b = static_cast<uint8_t>(rng());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());
        return image;
    }
    bool PumpUntil(const std::function<bool()>& pred, int ms = 5000) { return ui.PumpUntil(pred, ms); }
    // Waits until the job of the batch has ended (controls unlocked) and the worker is idle.
    bool JobEnds(int ms = 5000) {
        return PumpUntil([&] { return !host.jobRunning && inside->pendingQueue.IsEmpty(); }, ms);
    }

    std::filesystem::path portsDir;
    SSimOptions options;
    CRecordingHost host;
    CUiDispatcher ui;
    CSimulator sim;
    std::unique_ptr<CEngine> engine;
    // The private state of the engine the test holds now (a test may make a new one):
    // inside->linkMode, inside->PostWorker(...).
    struct SInside {
        const std::unique_ptr<CEngine>& engine;
        CEngineTestAccess operator->() const { return CEngineTestAccess(*engine); }
    } inside{engine};
};
