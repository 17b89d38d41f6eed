#include "BackupFiles.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

std::string BackupFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::filesystem::path base;
    if (state && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && home[0] ? home : "/tmp") / ".local" / "state";
    }
    return (base / "calyra" / "backups").string();
}

std::string NewBackupPath(const std::string& folder, const std::string& mac, std::time_t when) {
    std::string name;
    for (char c : mac)
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    if (name.empty()) name = "unknown";
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
    name += stamp;
    std::filesystem::path path = std::filesystem::path(folder) / (name + ".ini");
    for (int n = 2; std::filesystem::exists(path); ++n)
        path = std::filesystem::path(folder) / (name + "-" + std::to_string(n) + ".ini");
    return path.string();
}
