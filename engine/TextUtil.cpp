#include "TextUtil.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <ctime>

std::string TrimLineEnds(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == '\r' || s[b] == '\n'))
        ++b;
    while (e > b && (s[e - 1] == '\r' || s[e - 1] == '\n'))
        --e;
    return std::string(s.substr(b, e - b));
}

long long DecimalValue(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (v > (LLONG_MAX - 9) / 10) {
            v = LLONG_MAX;
            break;
        }
        v = v * 10 + (s[i] - '0');
    }
    return neg ? -v : v;
}

int FindText(std::string_view text, std::string_view pattern) {
    size_t p = text.find(pattern);
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

std::vector<std::string> SplitString(std::string_view text, std::string_view delimiters) {
    std::vector<std::string> fields;
    do {
        size_t p = text.find_first_of(delimiters);
        fields.emplace_back(text.substr(0, p));
        text.remove_prefix(p == std::string_view::npos ? text.size() : p + 1);
    } while (!text.empty());
    return fields;
}

std::string BytesToHex(const void* bytes, int length, bool spaced) {
    std::string out;
    if (!bytes || length <= 0) return out;
    static const char kDigits[] = "0123456789ABCDEF";
    const auto* b = static_cast<const unsigned char*>(bytes);
    for (int i = 0; i < length; ++i) {
        if (spaced && i) out += ' ';
        out += kDigits[b[i] >> 4];
        out += kDigits[b[i] & 15];
    }
    return out;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

int HexToBytes(const char* text, int length, uint8_t* out) {
    if (!text || !out) return 1;
    for (int i = 0; i + 1 < length; i += 2)
        out[i / 2] = static_cast<uint8_t>(HexDigit(text[i]) << 4 | HexDigit(text[i + 1]));
    out[length / 2] = 0;
    return 0;
}

bool IsHexText(std::string_view s) {
    for (char c : s)
        if (c != ' ' && !std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
    va_end(ap2);
    return out;
}

std::string FormatTimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min, t.tm_sec);
}

std::string UpperCase(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string OneLine(std::string_view s) {
    std::string out;
    bool pendingBlank = false;
    for (char c : s) {
        if (c == '\r' || c == '\n') {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) out += ' ';
        pendingBlank = false;
        out += c;
    }
    return out;
}
