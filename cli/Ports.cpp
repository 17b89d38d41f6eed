// ports: every serial port with its COM name, device, by-id link, label and whether it is free.
#include "Commands.h"
#include "ExitCodes.h"
#include "Json.h"
#include "PortArgument.h"
#include "PortEnum.h"
#include "PortNames.h"
#include "Reporter.h"
#include "Serial.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// The /dev/serial/by-id link of a device, "" when it has none.
std::string ByIdLink(const std::string& device) {
    std::error_code ec;
    const std::string real = RealPath(device);
    if (real.empty()) return {};
    for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", ec))
        if (RealPath(entry.path().string()) == real) return entry.path().string();
    return {};
}

// A port is in use when another program holds it (a lock or exclusive use).
bool InUse(const SSerInfo& info) {
    CSerial probe;
    const unsigned number = PortNumberOfName(info.portName);
    if (probe.Open(number, 9600, 8, 0, 0)) {
        probe.Close();
        return false;
    }
    return probe.LastError() == EBUSY || probe.LastError() == EWOULDBLOCK;
}
} // namespace

int RunPorts(const SCliOptions& o, CReporter& reporter) {
    std::vector<SSerInfo> list;
    std::string error;
    if (!EnumeratePorts(list, false, &error)) reporter.Error(error);
    if (o.json) {
        std::string out = "[";
        for (size_t i = 0; i < list.size(); ++i) {
            const SSerInfo& p = list[i];
            out += std::string(i ? "," : "") + "{\"port\":" + JsonString(p.portName) +
                   ",\"device\":" + JsonString(p.devicePath) + ",\"byId\":" + JsonString(ByIdLink(p.devicePath)) +
                   ",\"label\":" + JsonString(p.description) + ",\"inUse\":" + (InUse(p) ? "true" : "false") + "}";
        }
        std::printf("%s]\n", out.c_str());
    } else {
        std::printf("%-8s %-20s %-6s %-30s %s\n", "PORT", "DEVICE", "IN-USE", "LABEL", "BY-ID");
        for (const SSerInfo& p : list)
            std::printf("%-8s %-20s %-6s %-30s %s\n", p.portName.c_str(), p.devicePath.c_str(),
                        InUse(p) ? "yes" : "no", p.description.c_str(), ByIdLink(p.devicePath).c_str());
    }
    return error.empty() ? EXIT_OK : EXIT_PORT;
}
