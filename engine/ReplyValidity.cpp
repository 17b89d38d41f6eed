#include "ReplyValidity.h"

#include <algorithm>
#include <cctype>

namespace {
std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A decimal number of at most maxDigits digits, nothing else (no sign, no blanks inside).
bool DecimalIn(std::string_view s, std::size_t maxDigits, long max) {
    if (s.empty() || s.size() > maxDigits) return false;
    long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= max;
}
} // namespace

bool PlausibleReadValue(std::string_view value) {
    if (value.size() > kMaxReadValue) return false;
    for (char c : value)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

bool CheckSearchRecord(const std::vector<std::string>& fields, std::vector<std::string>& out, std::string& why) {
    out.clear();
    if (fields.size() < 4) {
        why = "fewer than four fields";
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i)
        out.emplace_back(Trimmed(fields[i]));
    const std::string& mac = out[2];
    if (!DecimalIn(out[0], 9, 999999999))
        why = "status \"" + out[0] + "\" is not a decimal number";
    else if (!DecimalIn(out[1], 5, 65534))
        why = "node address \"" + out[1] + "\" is not 0 to 65534";
    else if (mac.size() != 16 || !std::all_of(mac.begin(), mac.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        why = "MAC \"" + mac + "\" is not 16 hex digits";
    else if (!DecimalIn(out[3], 1, 2))
        why = "node type \"" + out[3] + "\" is not 0 to 2";
    else
        return true;
    out.clear();
    return false;
}
