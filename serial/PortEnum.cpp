// EnumeratePorts: the system's serial devices by the fixed rules plus the aliases of the ports
// folder, each with a COM number that CSerial::Open accepts.
#include "PortEnum.h"

#include "PortAliases.h"
#include "PortDiscovery.h"
#include "PortNames.h"
#include "PortPinning.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

std::string CanonicalPath(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? std::string(real) : path;
}

// The entry of a live alias: the label and bus of the device it names when the system lists
// that device, else its kind.
SFoundPort AliasEntry(const SPortAlias& alias, const std::vector<SFoundPort>& system) {
    SFoundPort port;
    port.number = alias.number;
    port.info.devicePath = alias.target;
    const std::string canonical = CanonicalPath(alias.target);
    std::string label;
    for (const SFoundPort& device : system) {
        if (CanonicalPath(device.info.devicePath) != canonical) continue;
        port.info.isUsb = device.info.isUsb;
        const std::string& d = device.info.description;
        label = d.substr(0, d.rfind(" ["));
        break;
    }
    if (label.empty()) label = KindLabel(canonical.rfind("/dev/", 0) == 0 ? canonical.substr(5) : canonical);
    port.info.description = PortDescription(label, alias.target);
    return port;
}

// Another program may use the port: it opens, and nobody holds its lock.
bool Openable(const std::string& devicePath) {
    const int f = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (f < 0) return false;
    const bool free = flock(f, LOCK_EX | LOCK_NB) == 0;
    close(f);
    return free;
}

} // namespace

bool EnumeratePorts(std::vector<SSerInfo>& list, bool onlyOpenable, std::string* error) {
    list.clear();
    std::string firstError;
    std::vector<SFoundPort> ports;
    bool ok = DiscoverPorts(ports, &firstError);

    std::vector<SPortAlias> aliases;
    std::string aliasError;
    if (!ReadPortAliases(PortsFolder(), aliases, &aliasError)) {
        ok = false;
        if (firstError.empty()) firstError = aliasError;
    }
    const std::vector<SFoundPort> system = ports;
    for (const SPortAlias& alias : aliases) {
        if (!alias.live) continue; // a link left behind: neither listed nor hiding the fixed device
        // The alias wins over the device the fixed rule gives its number.
        std::erase_if(ports, [&](const SFoundPort& p) { return p.number == alias.number; });
        // A pinned adapter (an alias of its by-id name) is listed under its pinned number only.
        if (alias.target.rfind(std::string(kSerialByIdDir) + "/", 0) == 0) {
            const std::string adapter = CanonicalPath(alias.target);
            std::erase_if(ports, [&](const SFoundPort& p) { return CanonicalPath(p.info.devicePath) == adapter; });
        }
        ports.push_back(AliasEntry(alias, system));
    }
    std::sort(ports.begin(), ports.end(),
              [](const SFoundPort& a, const SFoundPort& b) { return a.number < b.number; });

    for (SFoundPort& port : ports) {
        if (onlyOpenable && !Openable(port.info.devicePath)) continue;
        port.info.portName = PortNameOf(port.number);
        port.info.friendlyName = port.info.description + " (" + port.info.portName + ")";
        list.push_back(port.info);
    }
    if (error) *error = firstError;
    return ok;
}

std::string ListName(const SSerInfo& info) {
    std::string name = info.friendlyName.size() > info.description.size()
                           ? info.friendlyName.substr(info.description.size())
                           : std::string();
    std::erase_if(name, [](char c) { return c == '(' || c == ')' || c == ' '; });
    return name;
}

std::string ResolvePortPath(unsigned portNumber) {
    SPortAlias alias;
    if (ReadPortAlias(PortsFolder(), portNumber, alias) && alias.live) return alias.target;
    const std::string device = DeviceNameOfPort(portNumber);
    return device.empty() ? std::string() : "/dev/" + device;
}
