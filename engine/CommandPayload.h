#pragma once

#include <array>
#include <cstdint>
#include <string>

// The bytes a console command puts on the line, built into the fixed send buffer with a bound.
// Text mode: the command's UTF-8 bytes, followed by CR LF when New Line is on. Hex mode: the
// blank-free digit pairs as bytes (an odd last digit is dropped); New Line has no effect.
struct SCommandPayload {
    static constexpr int kBufferSize = 256;
    // Longest command that fits with its terminating zero: text bytes including CR LF, or hex digits.
    static constexpr int kMaxTextLength = kBufferSize - 1;
    static constexpr int kMaxHexDigits = 2 * (kBufferSize - 1);

    // PAYLOAD_LINE_BREAK: a text command holding CR, LF or NUL of its own (only New Line adds CR LF).
    enum EStatus { PAYLOAD_OK, PAYLOAD_TOO_LONG, PAYLOAD_HEX_INVALID, PAYLOAD_LINE_BREAK };

    EStatus status = PAYLOAD_OK;
    std::array<uint8_t, kBufferSize> buffer{};
    int count = 0;
    // The command as the "Send:" line shows it: the text without CR LF, or the blank-free digits.
    std::string shown;
    // Limit the refused command exceeded (characters, or hex digits in hex mode).
    int limit = 0;
};

SCommandPayload BuildCommandPayload(const std::string& text, bool hex, bool newLine);
// The text without any blank.
std::string RemoveBlanks(const std::string& text);
