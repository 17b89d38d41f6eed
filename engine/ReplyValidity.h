#pragma once

#include <string>
#include <string_view>
#include <vector>

// Checks of what a module reports before it reaches the pages, the views or the result lists: a
// value that cannot be valid counts as a failed read, a search record that cannot be valid is
// not listed.

// Longest value a read may give: what a value record of the pages can carry.
constexpr std::size_t kMaxReadValue = 127;

// A read value that can be valid: at most kMaxReadValue bytes and no control character (a NUL
// or a line break inside the value means the reply was garbled).
bool PlausibleReadValue(std::string_view value);

// The four fields of a network-search record (status, node address, MAC, node type), blanks and
// line ends around each removed, when they are valid: node address 0 to 65534 in decimal (65535
// is the broadcast address), MAC 16 hex digits, node type 0 to 2, status a decimal number. False
// with why set otherwise. The status range is the remote page's own check.
bool CheckSearchRecord(const std::vector<std::string>& fields, std::vector<std::string>& out, std::string& why);
