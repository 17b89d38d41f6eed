#include "CommandPayload.h"

#include "TextUtil.h"

#include <algorithm>
#include <cstring>

std::string RemoveBlanks(const std::string& text) {
    std::string out = text;
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

SCommandPayload BuildCommandPayload(const std::string& text, bool hex, bool newLine) {
    SCommandPayload p;
    if (hex) {
        if (!IsHexText(text)) {
            p.status = SCommandPayload::PAYLOAD_HEX_INVALID;
            return p;
        }
        p.shown = RemoveBlanks(text);
        const int digits = static_cast<int>(p.shown.size());
        if (digits > SCommandPayload::kMaxHexDigits) {
            p.status = SCommandPayload::PAYLOAD_TOO_LONG;
            p.limit = SCommandPayload::kMaxHexDigits;
            return p;
        }
        HexToBytes(p.shown.c_str(), digits, p.buffer.data());
        p.count = digits / 2;
        return p;
    }
    if (HasLineBreak(text)) {
        p.status = SCommandPayload::PAYLOAD_LINE_BREAK;
        return p;
    }
    const std::string sent = newLine ? text + "\r\n" : text;
    if (sent.size() > static_cast<size_t>(SCommandPayload::kMaxTextLength)) {
        p.status = SCommandPayload::PAYLOAD_TOO_LONG;
        p.limit = SCommandPayload::kMaxTextLength - (newLine ? 2 : 0);
        return p;
    }
    std::memcpy(p.buffer.data(), sent.data(), sent.size());
    p.count = static_cast<int>(sent.size());
    p.shown = text;
    return p;
}
