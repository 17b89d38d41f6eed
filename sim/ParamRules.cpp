#include "ParamRules.h"

#include "ParamCatalogue.h"
#include "TextUtil.h"

#include <algorithm>

namespace {
constexpr uint8_t kLowPins = 0x1F;  // D0..D2: disabled, ADC, DI, DO low, DO high
constexpr uint8_t kHighPins = 0x3D; // D3, D4: disabled, DI, DO low, DO high, pulse counting

const SParamRule kRules[] = {
    {PT_IPR, VK_NUMBER, 0, 9, false, 0, "9"},
    {PT_PAR, VK_NUMBER, 0, 2, false, 0, "0"},
    {PT_STO, VK_NUMBER, 0, 1, false, 0, "0"},
    {PT_UFC, VK_NUMBER, 0, 1, false, 0, "0"},
    {PT_DBL, VK_NUMBER, 0, 2, false, 0, "0"},
    {PT_ECH, VK_NUMBER, 0, 1, false, 0, "0"},
    {PT_AST, VK_NUMBER, 0, 1, false, 0, "1"},
    {PT_CHA, VK_NUMBER, 11, 26, false, 0, "11"},
    {PT_MID, VK_MAC, 0, 0, false, 0, nullptr},
    {PT_TID, VK_NUMBER, 0, 65527, true, 0, "0"},
    {PT_PID, VK_NUMBER, 0, 65531, true, 0, "65535"},
    {PT_TYP, VK_NUMBER, 0, 2, false, 0, "1"},
    {PT_NID, VK_NUMBER, 1, 65527, true, 0, "65535"},
    {PT_NCD, VK_NET_ADDRESS, 0, 0, false, 0, nullptr},
    {PT_ITV, VK_NUMBER, 6, 1980, false, 0, "20"},
    {PT_MOD, VK_NUMBER, 0, 2, false, 0, "0"},
    {PT_SLE, VK_NUMBER, 0, 2, false, 0, "0"},
    {PT_STC, VK_NUMBER, 0, 500, false, 0, "10"},
    {PT_WTC, VK_NUMBER, 5, 65, false, 0, "10"},
    {PT_ENP, VK_NUMBER, 0, 255, false, 0, "1"},
    {PT_PRD, VK_NUMBER, 0, 65535, false, 0, "260"},
    {PT_CDA, VK_NUMBER, 0, 65535, false, 0, "6"},
    {PT_DM0 + 0, VK_NUMBER, 0, 5, false, kLowPins, "0"},
    {PT_DM0 + 1, VK_NUMBER, 0, 5, false, kLowPins, "0"},
    {PT_DM0 + 2, VK_NUMBER, 0, 5, false, kLowPins, "0"},
    {PT_DM0 + 3, VK_NUMBER, 0, 5, false, kHighPins, "0"},
    {PT_DM0 + 4, VK_NUMBER, 0, 5, false, kHighPins, "0"},
    {PT_DT0 + 0, VK_NUMBER, 0, 65535, false, 0, "0"},
    {PT_DT0 + 1, VK_NUMBER, 0, 65535, false, 0, "0"},
    {PT_DT0 + 2, VK_NUMBER, 0, 65535, false, 0, "0"},
    {PT_DT0 + 3, VK_NUMBER, 0, 65535, false, 0, "0"},
    {PT_DT0 + 4, VK_NUMBER, 0, 65535, false, 0, "0"},
    {PT_SEC, VK_NUMBER, 0, 1, false, 0, "0"},
    {PT_KEY, VK_KEY, 0, 0, false, 0, "01030507090B0D0F00020406080A0C0D"},
    {PT_TLK, VK_KEY, 0, 0, false, 0, "5A6967426565416C6C69616E63653039"},
};

constexpr size_t kKeyBytes = 16;

bool Writable(int code) {
    const SParamInfo* info = FindParam(code);
    return info && info->writePrefix;
}

bool NumberAccepted(const SParamRule& r, long value) {
    if (r.randomAllowed && value == 65535) return true;
    if (value < r.min || value > r.max) return false;
    return !r.allowedMask || (r.allowedMask >> value) & 1;
}

} // namespace

const SParamRule* FindRule(int code) {
    for (const SParamRule& r : kRules)
        if (r.code == code) return &r;
    return nullptr;
}

std::optional<std::string> AcceptAtValue(int code, std::string_view text) {
    const SParamRule* r = FindRule(code);
    if (!r || !Writable(code)) return std::nullopt;
    if (r->kind == VK_KEY) {
        if (text.size() != 2 * kKeyBytes || !IsHexText(text) || text.find(' ') != std::string_view::npos)
            return std::nullopt;
        return UpperCase(text);
    }
    // Plain digits only; leading zeros aside at most five of them, so a value beyond 16 bits is
    // refused, never wrapped.
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    std::string_view digits = text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
    if (digits.size() > 5) return std::nullopt;
    long value = std::stol(std::string(digits));
    if (!NumberAccepted(*r, value)) return std::nullopt;
    return std::to_string(value);
}

std::optional<std::string> AcceptRemoteValue(int code, const Bytes& value) {
    const SParamRule* r = FindRule(code);
    if (!r || !Writable(code)) return std::nullopt;
    if (r->kind == VK_KEY) {
        if (value.size() != kKeyBytes) return std::nullopt;
        Bytes inTextOrder(value.rbegin(), value.rend());
        return BytesToHex(inTextOrder.data(), static_cast<int>(inTextOrder.size()), false);
    }
    if (value.size() != 2) return std::nullopt;
    long number = value[0] * 256 + value[1];
    if (!NumberAccepted(*r, number)) return std::nullopt;
    return std::to_string(number);
}

Bytes RemoteReplyValue(int code, const std::string& stored) {
    const SParamRule* r = FindRule(code);
    if (!r) return {};
    if (r->kind == VK_KEY || r->kind == VK_MAC) {
        Bytes b(stored.size() / 2 + 1);
        HexToBytes(stored.c_str(), static_cast<int>(stored.size()), b.data());
        b.resize(stored.size() / 2);
        return b;
    }
    long long n = DecimalValue(stored);
    if (n < 0 || n > 65535) n = 0;
    return {static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n & 0xFF)};
}
