#pragma once

#include <string>

// The COM number of a --port argument: "COM<n>" (any letter case), a device path such as
// /dev/ttyUSB0, or a link to one (/dev/serial/by-id/...). A device is found by the fixed rules of
// its name or by an alias of the ports folder that names it. 0 with the operator's message in
// error when the argument names no port.
unsigned PortNumberOfArgument(const std::string& argument, std::string& error);

// The canonical path of path with every link resolved; "" when it does not exist.
std::string RealPath(const std::string& path);
