#pragma once

#include <string>
#include <string_view>

// The fixed rules between Linux serial device names and the "COM" numbers the program shows.
// ttyS<k> -> COM<k+1> (k < 32), ttyUSB<k> -> COM<33+k> (k < 32), ttyACM<k> -> COM<65+k>, up to
// COM1024. Other devices get a number only through an alias in the ports folder.

constexpr unsigned kMaxPortNumber = 1024;

// The COM number of a device name such as "ttyUSB3" (36); 0 when no rule covers the name.
unsigned PortNumberOfDevice(std::string_view deviceName);
// The device name of a COM number (36 -> "ttyUSB3"); "" outside 1..kMaxPortNumber.
std::string DeviceNameOfPort(unsigned portNumber);
// The number of a port name written exactly "COM<n>" with n in 1..kMaxPortNumber and no leading
// zero; 0 otherwise (so every number has one name).
unsigned PortNumberOfName(std::string_view portName);
// "COM<n>".
std::string PortNameOf(unsigned portNumber);
