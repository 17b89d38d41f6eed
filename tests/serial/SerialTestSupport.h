#pragma once

// Pseudo-terminal pairs, a temporary ports folder and a recording owner for the serial tests.

#include "Serial.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A pseudo-terminal pair: the master end plays the module, the slave path is the port. The test
// keeps its own slave descriptor so that it can look at the line settings.
struct SPty {
    int master = -1;
    int slave = -1;
    std::string path;

    SPty() {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
        if (master >= 0) fcntl(master, F_SETFD, FD_CLOEXEC);
        if (slave >= 0) fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    ~SPty() {
        CloseMaster();
        if (slave >= 0) close(slave);
    }
    SPty(const SPty&) = delete;
    SPty& operator=(const SPty&) = delete;

    // The simulated unplug: the port hangs up.
    void CloseMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // What reaches the master within ms (stops at the first quiet 20 ms after the first byte).
    std::string Receive(size_t expected, int ms = 1000) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buffer[256];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }
};

// A temporary ports folder, set as CALYRA_PORTS_DIR while it lives.
class CPortsFolder {
  public:
    CPortsFolder() {
        char pattern[] = "/tmp/calyra-ports-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
        setenv("CALYRA_PORTS_DIR", path.c_str(), 1);
    }
    ~CPortsFolder() {
        unsetenv("CALYRA_PORTS_DIR");
        RemoveAll(path);
    }
    CPortsFolder(const CPortsFolder&) = delete;
    CPortsFolder& operator=(const CPortsFolder&) = delete;

    void Alias(unsigned number, const std::string& target) const {
        Remove(number);
        ASSERT_EQ(symlink(target.c_str(), Entry(number).c_str()), 0);
    }
    void Remove(unsigned number) const { unlink(Entry(number).c_str()); }
    std::string Entry(unsigned number) const { return path + "/COM" + std::to_string(number); }

    static void RemoveAll(const std::string& dir) {
        if (DIR* d = opendir(dir.c_str())) {
            while (const dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name == "." || name == "..") continue;
                const std::string full = dir + "/" + name;
                struct stat st {};
                if (lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                    RemoveAll(full);
                else
                    unlink(full.c_str());
            }
            closedir(d);
        }
        rmdir(dir.c_str());
    }

    std::string path;
};

// Records the notifications; onNotify runs inside each, on the event thread.
class CRecordingOwner : public ISerialOwner {
  public:
    std::function<void(int message)> onNotify;

    void OnSerialNotify(int message, long) override {
        if (onNotify) onNotify(message);
        std::lock_guard g(lock);
        messages.push_back(message);
        cv.notify_all();
    }
    int Count(int message) const {
        std::lock_guard g(lock);
        int n = 0;
        for (int m : messages)
            n += m == message;
        return n;
    }
    // True once message was seen count times within ms.
    bool WaitFor(int message, int count = 1, int ms = 2000) {
        std::unique_lock g(lock);
        return cv.wait_for(g, std::chrono::milliseconds(ms), [&] {
            int n = 0;
            for (int m : messages)
                n += m == message;
            return n >= count;
        });
    }

  private:
    mutable std::mutex lock; // guards messages
    std::condition_variable cv;
    std::vector<int> messages;
};

// The port number the tests give their pseudo-terminal.
constexpr unsigned kTestPort = 200;
