#include "PortNames.h"

namespace {

struct SFamily {
    std::string_view prefix; // device name without its index
    unsigned first;          // COM number of index 0
    unsigned count;          // indices covered
};

// Each family owns a disjoint range of numbers, so a number names at most one device.
constexpr SFamily kFamilies[] = {
    {"ttyS", 1, 32},
    {"ttyUSB", 33, 32},
    {"ttyACM", 65, kMaxPortNumber - 64},
};

// A decimal without sign or leading zero ("0" itself is allowed); false on anything else or overflow.
bool ParseIndex(std::string_view digits, unsigned& value) {
    if (digits.empty() || digits.size() > 9) return false;
    if (digits.size() > 1 && digits[0] == '0') return false;
    value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + unsigned(c - '0');
    }
    return true;
}

} // namespace

unsigned PortNumberOfDevice(std::string_view deviceName) {
    for (const SFamily& family : kFamilies) {
        if (deviceName.substr(0, family.prefix.size()) != family.prefix) continue;
        unsigned index = 0;
        if (!ParseIndex(deviceName.substr(family.prefix.size()), index)) return 0;
        return index < family.count ? family.first + index : 0;
    }
    return 0;
}

std::string DeviceNameOfPort(unsigned portNumber) {
    for (const SFamily& family : kFamilies) {
        if (portNumber >= family.first && portNumber < family.first + family.count)
            return std::string(family.prefix) + std::to_string(portNumber - family.first);
    }
    return {};
}

unsigned PortNumberOfName(std::string_view portName) {
    if (portName.substr(0, 3) != "COM") return 0;
    unsigned number = 0;
    if (!ParseIndex(portName.substr(3), number)) return 0;
    return number >= 1 && number <= kMaxPortNumber ? number : 0;
}

std::string PortNameOf(unsigned portNumber) {
    return "COM" + std::to_string(portNumber);
}
