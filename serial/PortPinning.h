#pragma once

#include <string>

// Pinning an adapter to a COM number: the alias COM<n> in the ports folder is made a link to
// the adapter's name in /dev/serial/by-id, which udev derives from its vendor, model and serial
// number. That name follows the adapter through replugs and renumbering of ttyUSB/ttyACM.

constexpr const char* kSerialByIdDir = "/dev/serial/by-id";

// The link in byIdDir that resolves to device; "" when there is none (not a USB adapter, or
// udev is not running).
std::string SerialByIdLink(const std::string& device, const std::string& byIdDir = kSerialByIdDir);

// Makes COM<number> in portsFolder a link to the by-id name of device (link receives it). An
// alias of the same adapter under another number is moved; an alias of number that names another
// device that is present is not replaced. False with the reason in error.
bool PinPort(unsigned number, const std::string& device, const std::string& portsFolder, std::string* link,
             std::string* error, const std::string& byIdDir = kSerialByIdDir);
