// The console's parsing of what the operator types: text and hex commands into the send buffer,
// and the decimal fields. Byte 0 picks hex mode and New Line; the rest is the command text.
#include "CommandPayload.h"
#include "ParseDecimal.h"
#include "TextUtil.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool hex = data[0] & 1;
    const bool newLine = data[0] & 2;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const SCommandPayload p = BuildCommandPayload(text, hex, newLine);
    if (p.status == SCommandPayload::PAYLOAD_OK) {
        if (p.count < 0 || p.count > SCommandPayload::kMaxTextLength) std::abort();
        if (hex && p.count != static_cast<int>(p.shown.size()) / 2) std::abort();
        if (!hex) {
            // Only New Line's own CR LF ends a text command; nothing inside may end it earlier.
            const int body = p.count - (newLine ? 2 : 0);
            if (body < 0 || HasLineBreak(std::string_view(reinterpret_cast<const char*>(p.buffer.data()), body)))
                std::abort();
        }
    }

    std::string digits(text);
    std::vector<uint8_t> bytes(digits.size() / 2 + 1);
    if (HexToBytes(digits.c_str(), static_cast<int>(digits.size()), bytes.data()) != 0) std::abort();
    (void)IsHexText(text);
    (void)DecimalValue(text);
    const int value = ParseDecimal(text);
    if (value < -1) std::abort();
    return 0;
}
