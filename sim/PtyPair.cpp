#include "PtyPair.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

void SetCloseOnExec(int fd) {
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
}
} // namespace

bool CPtyPair::Open(std::string* error) {
    Close();
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        if (error) *error = ErrnoText("openpty");
        master = slave = -1;
        return false;
    }
    SetCloseOnExec(master);
    SetCloseOnExec(slave);
    // Raw on the slave (where the line discipline lives) and on the master: no echo, no line
    // editing, no CR/LF translation in either direction.
    MakeRaw(slave);
    MakeRaw(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        if (error) *error = ErrnoText("ptsname");
        Close();
        return false;
    }
    slavePath = name;
    return true;
}

void CPtyPair::Close() {
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    master = slave = -1;
}

bool CreatePortAlias(const std::string& folder, int number, const std::string& target, std::string* path,
                     std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    fs::path link = fs::path(folder) / ("COM" + std::to_string(number));
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            if (error) *error = link.string() + " exists and is not a symbolic link";
            return false;
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        if (error) *error = ErrnoText(("symlink " + link.string()).c_str());
        return false;
    }
    if (path) *path = link.string();
    return true;
}

void RemovePortAlias(const std::string& path, const std::string& target) {
    if (path.empty()) return;
    char buf[512];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return;
    buf[n] = 0;
    if (target == buf) unlink(path.c_str());
}
