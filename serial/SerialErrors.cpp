#include "SerialErrors.h"

#include "Texts.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <vector>

namespace {

// The name of the group that owns path (its number when the name is unknown); "" when path
// cannot be read at all.
std::string OwningGroup(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    while (getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found && found->gr_name ? std::string(found->gr_name) : std::to_string(st.st_gid);
}

} // namespace

std::string ErrnoText(int err) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in buffer.
    return strerror_r(err, buffer, sizeof buffer);
}

std::string OpenFailureText(int err, const std::string& device) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return FormatText(TXT_OPEN_FAILED_NO_DEVICE, {device});
    case EACCES:
    case EPERM: {
        std::string group = OwningGroup(device);
        if (group.empty()) group = "dialout";
        return FormatText(TXT_OPEN_FAILED_PERMISSION, {device, group});
    }
    case EBUSY:
    case EWOULDBLOCK:
        return FormatText(TXT_OPEN_FAILED_BUSY, {device});
    default:
        return FormatText(TXT_OPEN_FAILED_OTHER, {device, ErrnoText(err)});
    }
}

std::string RefusalText(const std::string& device, const std::string& reason) {
    return FormatText(TXT_OPEN_FAILED_OTHER, {device, reason});
}
