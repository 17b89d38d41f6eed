#pragma once
// A child process that holds a device open and locked (as a careful serial program does) while
// it runs "sleep 30", so that /proc shows it with its own command line. Killed when it goes.

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

struct SHolderProcess {
    pid_t pid = -1;
    explicit SHolderProcess(const std::string& device) {
        pid = fork();
        if (pid == 0) {
            const int f = open(device.c_str(), O_RDWR | O_NOCTTY);
            if (f < 0 || flock(f, LOCK_EX) != 0) _exit(1);
            execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
            _exit(1);
        }
    }
    ~SHolderProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    SHolderProcess(const SHolderProcess&) = delete;
    SHolderProcess& operator=(const SHolderProcess&) = delete;
};
