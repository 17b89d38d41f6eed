#include "ProgramFiles.h"

#include <climits>
#include <unistd.h>

std::string ProgramDir() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash == 0 ? 1 : slash);
}

std::string FindProgramFile(const std::string& installed, const std::string& beside,
                            const std::string& programDir) {
    const std::string prefixed = programDir + "/../" + installed;
    if (access(prefixed.c_str(), F_OK) == 0) return prefixed;
    return programDir + "/" + beside;
}

std::string UdevRulesFile() {
    return FindProgramFile("lib/udev/rules.d/70-calyra.rules", "udev/70-calyra.rules");
}
