#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "SimFrame.h"

// What values a module takes for each parameter (codes 6 to 40 of the catalogue) and what it
// holds after a factory reset. The catalogue gives mnemonics and commands; this table adds
// what only the module knows: ranges, pin capabilities, factory values.

enum EValueKind { VK_NUMBER, VK_KEY, VK_MAC, VK_NET_ADDRESS };

struct SParamRule {
    int code;
    EValueKind kind;
    int min, max;        // VK_NUMBER: accepted range
    bool randomAllowed;  // VK_NUMBER: 65535 ("random" or "broadcast") accepted beside the range
    uint8_t allowedMask; // VK_NUMBER, when non-zero: bit v set for every accepted value v (IO pins)
    const char* factory; // value after a factory reset; nullptr for the identity (MAC, address)
};

// The rule of a code, nullptr when the code is no parameter.
const SParamRule* FindRule(int code);

// The stored text of a value written as AT text: decimal without leading zeros, keys as 32
// upper-case hexadecimal digits. Nothing when the module refuses the value or the code cannot
// be written.
std::optional<std::string> AcceptAtValue(int code, std::string_view text);

// The same for the value bytes of a remote write as they arrive on the line: numbers as two
// bytes, most significant first; keys as 16 bytes, last key byte first.
std::optional<std::string> AcceptRemoteValue(int code, const Bytes& value);

// The value bytes of a remote read reply for a stored text: numbers as two bytes, most
// significant first; MAC as 8 bytes, keys as 16 bytes, both in text order.
Bytes RemoteReplyValue(int code, const std::string& stored);
