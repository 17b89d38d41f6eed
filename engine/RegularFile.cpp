#include "RegularFile.h"

#include "Texts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string SystemReason(const std::string& path, int err) {
    char buffer[256];
    return FormatText(TXT_OPEN_FAILED_OTHER, {path, strerror_r(err, buffer, sizeof buffer)});
}
} // namespace

EFileOpen OpenRegularFile(const std::string& path, int& fd, std::string& error) {
    // O_NONBLOCK: the open of a FIFO without a writer returns at once instead of waiting for one.
    fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        error = SystemReason(path, err);
        return err == ENOENT ? FILE_MISSING : FILE_REFUSED;
    }
    struct stat st {};
    const bool statted = fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        error = statted ? FormatText(TXT_NOT_REGULAR_FILE, {path}) : SystemReason(path, errno);
        close(fd);
        fd = -1;
        return FILE_REFUSED;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return FILE_OPENED;
}

EFileOpen ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& text, std::string& error) {
    int fd = -1;
    const EFileOpen opened = OpenRegularFile(path, fd, error);
    if (opened != FILE_OPENED) return opened;
    text.clear();
    struct stat st {};
    if (fstat(fd, &st) == 0 && std::size_t(st.st_size) > maxBytes) {
        close(fd);
        error = FormatText(TXT_FILE_TOO_LARGE, {path, std::to_string(maxBytes)});
        return FILE_REFUSED;
    }
    char buffer[16384];
    // One byte past the bound tells a file that is too large (or grew while it was read).
    while (text.size() <= maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes + 1 - text.size());
        const ssize_t n = read(fd, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = SystemReason(path, errno);
            close(fd);
            return FILE_REFUSED;
        }
        if (n == 0) break;
        text.append(buffer, std::size_t(n));
    }
    close(fd);
    if (text.size() > maxBytes) {
        text.clear();
        error = FormatText(TXT_FILE_TOO_LARGE, {path, std::to_string(maxBytes)});
        return FILE_REFUSED;
    }
    return FILE_OPENED;
}
