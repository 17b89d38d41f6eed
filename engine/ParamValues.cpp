#include "ParamValues.h"

#include "ParamCatalogue.h"
#include "TextUtil.h"

#include <string_view>

namespace {
constexpr unsigned kRandom = 65535;
constexpr unsigned kLowerPins = 0x1F; // D0..D2: disabled, ADC, DI, DO low, DO high
constexpr unsigned kUpperPins = 0x3D; // D3, D4: disabled, DI, DO low, DO high, pulse counting

struct SRange {
    int code;
    unsigned min, max;
    bool random;      // 65535 (Random, Broadcast) beside the range
    unsigned allowed; // when non-zero: bit v set for every value v the list offers
    bool key;         // 32 hexadecimal digits
};

const SRange kRanges[] = {
    {PT_IPR, 0, 9, false, 0, false},      {PT_PAR, 0, 2, false, 0, false},
    {PT_STO, 0, 1, false, 0, false},      {PT_UFC, 0, 1, false, 0, false},
    {PT_DBL, 0, 2, false, 0, false},      {PT_ECH, 0, 1, false, 0, false},
    {PT_AST, 0, 1, false, 0, false},      {PT_CHA, 11, 26, false, 0, false},
    {PT_TID, 0, 65527, true, 0, false},   {PT_PID, 0, 65531, true, 0, false},
    {PT_TYP, 0, 2, false, 0, false},      {PT_NID, 1, 65527, true, 0, false},
    {PT_ITV, 6, 1980, false, 0, false},   {PT_MOD, 0, 2, false, 0, false},
    {PT_SLE, 0, 2, false, 0, false},      {PT_STC, 0, 500, false, 0, false},
    {PT_WTC, 5, 65, false, 0, false},     {PT_ENP, 0, 255, false, 0, false},
    {PT_PRD, 0, 65535, false, 0, false},  {PT_CDA, 0, 65535, false, 0, false},
    {PT_DM0, 0, 4, false, kLowerPins, false}, {PT_DM0 + 1, 0, 4, false, kLowerPins, false},
    {PT_DM0 + 2, 0, 4, false, kLowerPins, false}, {PT_DM0 + 3, 0, 5, false, kUpperPins, false},
    {PT_DM0 + 4, 0, 5, false, kUpperPins, false}, {PT_DT0, 0, 65535, false, 0, false},
    {PT_DT0 + 1, 0, 65535, false, 0, false}, {PT_DT0 + 2, 0, 65535, false, 0, false},
    {PT_DT0 + 3, 0, 65535, false, 0, false}, {PT_DT0 + 4, 0, 65535, false, 0, false},
    {PT_SEC, 0, 1, false, 0, false},      {PT_KEY, 0, 0, false, 0, true},
    {PT_TLK, 0, 0, false, 0, true},
};

const SRange* FindRange(int code) {
    for (const SRange& r : kRanges)
        if (r.code == code) return &r;
    return nullptr;
}

bool Offered(const SRange& r, unsigned v) {
    if (r.random && v == kRandom) return true;
    if (v < r.min || v > r.max) return false;
    return !r.allowed || (r.allowed >> v) & 1;
}
} // namespace

bool ValueAccepted(int code, const std::string& text) {
    const SRange* r = FindRange(code);
    if (!r) return false;
    if (r->key) return text.size() == 32 && IsHexText(text) && text.find(' ') == std::string::npos;
    // Plain decimal digits, at most five after leading zeros: nothing beyond 16 bits wraps.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const std::string_view digits = std::string_view(text).substr(std::min(text.find_first_not_of('0'), text.size() - 1));
    return digits.size() <= 5 && Offered(*r, static_cast<unsigned>(DecimalValue(digits)));
}

std::string AcceptedValuesText(int code) {
    const SRange* r = FindRange(code);
    if (!r) return {};
    if (r->key) return "32 hexadecimal digits";
    if (r->allowed) {
        std::string list;
        for (unsigned v = r->min; v <= r->max; ++v) {
            if (!Offered(*r, v)) continue;
            if (!list.empty()) list += ", ";
            list += std::to_string(v);
        }
        const std::size_t last = list.rfind(", ");
        return last == std::string::npos ? list : list.replace(last, 2, " or ");
    }
    std::string text = std::to_string(r->min) + " to " + std::to_string(r->max);
    if (r->random) text += " or 65535";
    return text;
}
