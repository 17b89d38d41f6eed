#include "PortDiscovery.h"

#include "PortNames.h"
#include "SerialErrors.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const char kSysTty[] = "/sys/class/tty";

// First line of a sysfs attribute; "" when it cannot be read.
std::string ReadAttribute(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

} // namespace

bool UartPresent(const std::string& deviceName, const std::string& typeText) {
    if (!typeText.empty()) return std::atoi(typeText.c_str()) != PORT_UNKNOWN;
    const std::string node = "/dev/" + deviceName;
    const int f = open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // Without the right to open it the port cannot be told from a phantom: list it, so that the
    // operator learns at Open which group to join.
    if (f < 0) return errno == EACCES || errno == EPERM;
    serial_struct info{};
    const bool present = ioctl(f, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
    close(f);
    return present;
}

std::string PortDescription(const std::string& label, const std::string& devicePath) {
    return label + " [" + devicePath + "]";
}

std::string KindLabel(const std::string& deviceName) {
    if (StartsWith(deviceName, "ttyUSB")) return "USB serial adapter";
    if (StartsWith(deviceName, "ttyACM")) return "USB modem";
    if (StartsWith(deviceName, "ttyS")) return "Serial port";
    if (StartsWith(deviceName, "pts/")) return "Pseudo-terminal";
    return "Serial device";
}

std::string SysfsUsbLabel(const std::string& sysDevicePath) {
    // The USB device is the nearest ancestor with "idVendor"; an interface or a usb-serial
    // port sits one or two levels below it.
    std::string dir = sysDevicePath;
    for (int level = 0; level < 4 && dir.size() > 1; ++level) {
        if (access((dir + "/idVendor").c_str(), F_OK) == 0) {
            std::string label = ReadAttribute(dir + "/manufacturer");
            const std::string product = ReadAttribute(dir + "/product");
            if (!product.empty()) label += (label.empty() ? "" : " ") + product;
            return label;
        }
        dir.erase(dir.rfind('/'));
    }
    return {};
}

bool DiscoverPortsSysfs(std::vector<SFoundPort>& ports, std::string* error) {
    DIR* dir = opendir(kSysTty);
    if (!dir) {
        const int err = errno;
        if (error) *error = std::string("Could not read ") + kSysTty + ": " + ErrnoText(err);
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const unsigned number = PortNumberOfDevice(name);
        if (number == 0) continue;
        const std::string base = std::string(kSysTty) + "/" + name;
        char real[PATH_MAX];
        // Virtual terminals have no device, and a port without a driver cannot be opened.
        if (!realpath((base + "/device").c_str(), real)) continue;
        if (access((base + "/device/driver").c_str(), F_OK) != 0) continue;
        if (StartsWith(name, "ttyS") && !UartPresent(name, ReadAttribute(base + "/type"))) continue;
        const std::string sysDevice = real;
        SFoundPort port;
        port.number = number;
        port.info.devicePath = "/dev/" + name;
        port.info.isUsb = sysDevice.find("/usb") != std::string::npos;
        std::string label = port.info.isUsb ? SysfsUsbLabel(sysDevice) : "";
        if (label.empty()) label = KindLabel(name);
        port.info.description = PortDescription(label, port.info.devicePath);
        ports.push_back(port);
    }
    closedir(dir);
    return true;
}

#ifndef CALYRA_HAVE_UDEV
bool DiscoverPorts(std::vector<SFoundPort>& ports, std::string* error) {
    return DiscoverPortsSysfs(ports, error);
}
#endif
