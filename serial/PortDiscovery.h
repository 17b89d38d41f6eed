#pragma once

#include "PortEnum.h"

#include <string>
#include <vector>

// The serial devices of the system that the fixed rules of PortNames.h number. Shared by the
// libudev and the /sys/class/tty discovery.

struct SFoundPort {
    unsigned number = 0;
    SSerInfo info; // devicePath, isUsb and description; the names are added by EnumeratePorts
};

// libudev where the build has it, /sys/class/tty otherwise (or when udev cannot start).
// Returns false with a text in error when the device list could not be read.
bool DiscoverPorts(std::vector<SFoundPort>& ports, std::string* error);
bool DiscoverPortsSysfs(std::vector<SFoundPort>& ports, std::string* error);

// A ttyS entry stands for a UART that exists: its sysfs "type" (typeText, "" when unreadable)
// or, failing that, TIOCGSERIAL is not PORT_UNKNOWN. Keeps out the phantom ttyS ports that
// the kernel creates for every possible legacy UART.
bool UartPresent(const std::string& deviceName, const std::string& typeText);

// "<label> [<device path>]": the operator sees which Linux device a COM entry is.
std::string PortDescription(const std::string& label, const std::string& devicePath);
// The label of a device without a vendor name: its kind by name ("USB serial adapter", ...).
std::string KindLabel(const std::string& deviceName);
// "manufacturer product" of the USB device above a sysfs device path; "" when there is none.
std::string SysfsUsbLabel(const std::string& sysDevicePath);
