#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The system's text of an errno value (thread-safe).
std::string ErrnoText(int err);

// What an operator can do about a failed open of device, from the errno of the failure: no
// such device; permission denied, naming the group that owns the device to join; busy (another
// program holds it); else the system's own text.
std::string OpenFailureText(int err, const std::string& device);

// A setting the port refused, as "<device>: <reason>".
std::string RefusalText(const std::string& device, const std::string& reason);
