#include "LogFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<CLogFile*> processLog{nullptr};

std::string ErrnoString(int err) {
    char buffer[256];
    return strerror_r(err, buffer, sizeof buffer);
}

// mkdir -p for the folders above path, private to the user as the XDG base folders are.
bool MakeParents(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string folder = path.substr(0, at);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

} // namespace

CLogFile::CLogFile(std::string filePath, std::uintmax_t maxFileBytes, int keepFiles)
    : path(std::move(filePath)), maxBytes(maxFileBytes), keep(keepFiles < 1 ? 1 : keepFiles) {}

CLogFile::~CLogFile() {
    if (processLog.load() == this) processLog = nullptr;
    if (fd >= 0) close(fd);
}

bool CLogFile::Open() {
    std::lock_guard guard(lock);
    return OpenLocked();
}

bool CLogFile::OpenLocked() {
    if (fd >= 0) return true;
    if (!MakeParents(path)) {
        error = ErrnoString(errno);
        return false;
    }
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = ErrnoString(errno);
        return false;
    }
    struct stat st {};
    size = fstat(fd, &st) == 0 ? std::uintmax_t(st.st_size) : 0;
    error.clear();
    return true;
}

void CLogFile::RotateLocked() {
    close(fd);
    fd = -1;
    // The oldest goes; every other moves one place up.
    std::remove((path + "." + std::to_string(keep)).c_str());
    for (int i = keep - 1; i >= 1; --i)
        std::rename((path + "." + std::to_string(i)).c_str(), (path + "." + std::to_string(i + 1)).c_str());
    std::rename(path.c_str(), (path + ".1").c_str());
}

bool CLogFile::Append(const std::string& text) {
    std::lock_guard guard(lock);
    if (!OpenLocked()) return false;
    if (size > 0 && size + text.size() > maxBytes) {
        RotateLocked();
        if (!OpenLocked()) return false;
    }
    const char* at = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(fd, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = ErrnoString(n < 0 ? errno : EIO);
            return false;
        }
        at += n;
        left -= size_t(n);
        size += std::uintmax_t(n);
    }
    return true;
}

std::string CLogFile::LastError() const {
    std::lock_guard guard(lock);
    return error;
}

std::string DefaultLogPath() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        base = state;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/state";
    else
        base = "/tmp";
    return base + "/calyra/calyra.log";
}

void SetProcessLog(CLogFile* log) {
    processLog = log;
}

CLogFile* ProcessLog() {
    return processLog.load();
}

void AppendToProcessLog(const std::string& text) {
    if (CLogFile* log = processLog.load()) log->Append(text);
}
