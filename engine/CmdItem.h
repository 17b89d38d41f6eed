#pragma once

#include <cstdint>
#include <string>

// One command record: copied by value into and out of the queues and across threads.
struct SCmdItem {
    int32_t type = 0;    // ParamType
    int32_t isWrite = 0; // 1 when the reply only acknowledges
    int32_t length = 0;  // bytes of data that are sent
    uint8_t data[128] = {};

    // The data as text up to the first NUL (value records of the pages, AT commands).
    std::string Text() const;
};
static_assert(sizeof(SCmdItem) == 140, "SCmdItem is a fixed 140-byte record");

enum { CMD_MAX_TEXT = 125 };

// Text command record: text + "\r\n". False (record zeroed) when the text is longer than 125
// characters or holds a CR, LF or NUL of its own (it would end the command early or add another).
bool MakeTextCommand(const std::string& text, int type, int isWrite, SCmdItem& out);
// Write command of a code: write prefix + value + "\r\n", isWrite 1. False when the code has no
// write prefix or the command does not fit.
bool MakeWriteCommand(int type, const std::string& value, SCmdItem& out);
// Value record as the pages hand it over: type and NUL-terminated value text (at most 127 characters kept).
SCmdItem MakeValueRecord(int type, const std::string& value);
