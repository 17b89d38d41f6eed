#pragma once

// The program's side of the line for the simulator tests: plain POSIX reads and writes on the
// slave of the simulator's pseudo-terminal, and the program's own codecs for what is read.

#include "Simulator.h"
#include "tamsil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
using SteadyClock = std::chrono::steady_clock;

struct SChunk {
    std::string bytes;
    SteadyClock::time_point at;
};

class CTestPort {
  public:
    bool Open(const std::string& path);
    ~CTestPort();
    int Fd() const { return fd; }
    void Write(const std::string& bytes);
    void Write(const Bytes& bytes) { Write(std::string(bytes.begin(), bytes.end())); }
    // Reads chunk by chunk (one read() each) until done(all text so far) or the time is up.
    std::vector<SChunk> ReadChunks(const std::function<bool(const std::string&)>& done, int timeoutMs);
    // All text read until done or time-out.
    std::string ReadUntil(const std::function<bool(const std::string&)>& done, int timeoutMs = 2000);
    // Whatever arrives within ms.
    std::string ReadFor(int ms) {
        return ReadUntil([](const std::string&) { return false; }, ms);
    }

  private:
    int fd = -1;
};

// Text ending in a complete AT reply.
bool EndsAtReply(const std::string& text);
std::string Join(const std::vector<SChunk>& chunks);

// Starts a simulator with three remote nodes and opens its slave.
class SimTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWith(SSimOptions{}); }
    void StartWith(SSimOptions o);
    // "+++" twice; true when both got their "OK".
    bool EnterConfig();
    // One command line; the reply text.
    std::string At(const std::string& command);
    bool EnterApi();
    // Sends a frame and decodes the next frame received with the program's decoder.
    bool Exchange(const Bytes& frame, SApiResult& result, int timeoutMs = 2000);
    bool ReadFrame(SApiResult& result, int timeoutMs = 2000);
    Bytes RemoteFrame(uint16_t node, const char* letters, const Bytes& value = {});
    Bytes Frame(uint16_t command, const Bytes& payload);

    CSimulator sim;
    CTestPort port;
    SRecvBuffer received{};
};
