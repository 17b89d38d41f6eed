#include "PortPinning.h"

#include "PortAliases.h"
#include "PortNames.h"
#include "SerialErrors.h"
#include "Texts.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Canonical(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? std::string(real) : std::string();
}

bool MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        if (mkdir(folder.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (at == std::string::npos) return true;
    }
}

} // namespace

std::string SerialByIdLink(const std::string& device, const std::string& byIdDir) {
    const std::string target = Canonical(device);
    if (target.empty()) return {};
    DIR* dir = opendir(byIdDir.c_str());
    if (!dir) return {};
    std::string found;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string link = byIdDir + "/" + entry->d_name;
        if (Canonical(link) == target) {
            found = link;
            break;
        }
    }
    closedir(dir);
    return found;
}

bool PinPort(unsigned number, const std::string& device, const std::string& portsFolder, std::string* link,
             std::string* error, const std::string& byIdDir) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (number < 1 || number > kMaxPortNumber) return fail(PortNameOf(number) + ": no such COM number");
    const std::string byId = SerialByIdLink(device, byIdDir);
    if (byId.empty()) return fail(FillText(Text(TXT_PIN_NO_ID), {device}));
    if (portsFolder.empty() || !MakeFolders(portsFolder)) return fail(portsFolder + ": " + ErrnoText(errno));

    const std::string adapter = Canonical(byId);
    std::vector<SPortAlias> aliases;
    ReadPortAliases(portsFolder, aliases, nullptr);
    for (const SPortAlias& alias : aliases) {
        if (alias.number == number && alias.live && Canonical(alias.target) != adapter)
            return fail(FillText(Text(TXT_PIN_TAKEN), {PortNameOf(number), alias.target}));
    }
    const std::string entry = portsFolder + "/" + PortNameOf(number);
    const std::string temporary = entry + ".new";
    unlink(temporary.c_str());
    // Made beside and renamed over, so the number never points nowhere.
    if (symlink(byId.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), entry.c_str()) != 0) {
        const int err = errno;
        unlink(temporary.c_str());
        return fail(entry + ": " + ErrnoText(err));
    }
    // The adapter keeps one number: its other aliases go.
    for (const SPortAlias& alias : aliases)
        if (alias.number != number && alias.live && Canonical(alias.target) == adapter)
            unlink((portsFolder + "/" + PortNameOf(alias.number)).c_str());
    if (link) *link = byId;
    return true;
}
