#include "PortAliases.h"

#include "PortEnum.h"
#include "PortNames.h"
#include "SerialErrors.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string EnvValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = EnvValue("HOME");
    if (!home.empty()) return home;
    const passwd* pw = getpwuid(getuid()); // only when HOME is unset; start-up, one thread
    return pw && pw->pw_dir ? std::string(pw->pw_dir) : std::string("/");
}

// Fills alias from the entry path; false when the entry does not exist.
bool AliasOfEntry(const std::string& folder, const std::string& entry, SPortAlias& alias) {
    struct stat st {};
    if (lstat(entry.c_str(), &st) != 0) return false;
    alias.target = entry;
    if (S_ISLNK(st.st_mode)) {
        char buffer[4096];
        const ssize_t n = readlink(entry.c_str(), buffer, sizeof buffer - 1);
        if (n <= 0) return false;
        alias.target.assign(buffer, size_t(n));
        if (alias.target[0] != '/') alias.target = folder + "/" + alias.target;
    }
    alias.live = stat(alias.target.c_str(), &st) == 0;
    return true;
}

} // namespace

std::string PortsFolder() {
    std::string folder = EnvValue("CALYRA_PORTS_DIR");
    if (!folder.empty()) return folder;
    std::string config = EnvValue("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (config.empty() || config[0] != '/') config = HomeFolder() + "/.config";
    return config + "/calyra/ports";
}

bool ReadPortAliases(const std::string& folder, std::vector<SPortAlias>& aliases, std::string* error) {
    aliases.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) return true;
        if (error) *error = "Could not read the ports folder " + folder + ": " + ErrnoText(err);
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const unsigned number = PortNumberOfName(entry->d_name);
        if (number == 0) continue;
        SPortAlias alias;
        alias.number = number;
        if (AliasOfEntry(folder, folder + "/" + entry->d_name, alias)) aliases.push_back(alias);
    }
    closedir(dir);
    return true;
}

bool ReadPortAlias(const std::string& folder, unsigned number, SPortAlias& alias) {
    alias = SPortAlias{};
    if (number == 0 || number > kMaxPortNumber) return false;
    alias.number = number;
    return AliasOfEntry(folder, folder + "/" + PortNameOf(number), alias);
}
