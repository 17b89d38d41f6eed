#include "SimTestPort.h"

#include "RecvBuffer.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono;

bool CTestPort::Open(const std::string& path) {
    fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return true;
}

CTestPort::~CTestPort() {
    if (fd >= 0) close(fd);
}

void CTestPort::Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

std::vector<SChunk> CTestPort::ReadChunks(const std::function<bool(const std::string&)>& done,
                                          int timeoutMs) {
    std::vector<SChunk> chunks;
    std::string all;
    auto end = SteadyClock::now() + milliseconds(timeoutMs);
    while (!done(all)) {
        int left = static_cast<int>(duration_cast<milliseconds>(end - SteadyClock::now()).count());
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0 || !(p.revents & POLLIN)) continue;
        char buf[4096];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) continue;
        chunks.push_back({std::string(buf, static_cast<size_t>(n)), SteadyClock::now()});
        all += chunks.back().bytes;
    }
    return chunks;
}

std::string CTestPort::ReadUntil(const std::function<bool(const std::string&)>& done, int timeoutMs) {
    return Join(ReadChunks(done, timeoutMs));
}

std::string Join(const std::vector<SChunk>& chunks) {
    std::string all;
    for (const SChunk& c : chunks)
        all += c.bytes;
    return all;
}

bool EndsAtReply(const std::string& text) {
    return text.ends_with("OK\r\n") || text.ends_with("ERROR\r\n");
}

void SimTest::StartWith(SSimOptions o) {
    sim.Stop();
    std::string error;
    ASSERT_TRUE(sim.Start(o, &error)) << error;
    ASSERT_TRUE(port.Open(sim.SlavePath()));
    ResetBuffer(received);
}

bool SimTest::EnterConfig() {
    for (int i = 0; i < 2; ++i) {
        port.Write("+++");
        if (port.ReadUntil([](const std::string& t) { return t.find("OK") != std::string::npos; }).empty())
            return false;
    }
    return sim.InConfigState();
}

std::string SimTest::At(const std::string& command) {
    port.Write(command + "\r\n");
    return port.ReadUntil(EndsAtReply);
}

bool SimTest::EnterApi() {
    return EnterConfig() && At("AT+API") == "OK\r\n" && sim.InApiMode();
}

bool SimTest::ReadFrame(SApiResult& result, int timeoutMs) {
    auto end = SteadyClock::now() + milliseconds(timeoutMs);
    for (;;) {
        result = SApiResult{};
        if (received.writePos > 0 && ParseAPIFrame(&received, &result) > 0) return true;
        int left = static_cast<int>(duration_cast<milliseconds>(end - SteadyClock::now()).count());
        if (left <= 0) return false;
        std::string more = port.ReadUntil([](const std::string& t) { return !t.empty(); }, left);
        if (!more.empty()) AppendChunk(received, more.data(), static_cast<int>(more.size()));
    }
}

bool SimTest::Exchange(const Bytes& frame, SApiResult& result, int timeoutMs) {
    port.Write(frame);
    return ReadFrame(result, timeoutMs);
}

Bytes SimTest::RemoteFrame(uint16_t node, const char* letters, const Bytes& value) {
    uint8_t out[256] = {};
    int n = MakeAPISendFrameRemote(&node, letters, value.empty() ? nullptr : value.data(),
                                   static_cast<int32_t>(value.size()), out);
    return n > 0 ? Bytes(out, out + n) : Bytes();
}

Bytes SimTest::Frame(uint16_t command, const Bytes& payload) {
    uint8_t out[256] = {};
    int32_t len = static_cast<int32_t>(payload.size());
    int n = _MakeAPISendFrame(&command, payload.data(), &len, out);
    return n > 0 ? Bytes(out, out + n) : Bytes();
}
