#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Carriage returns and line feeds removed from both ends.
std::string TrimLineEnds(std::string_view s);
// The text on one line for the log: every run of line-end bytes becomes one blank, none at the ends.
std::string OneLine(std::string_view s);
// Leading optionally signed run of digits after leading white space; 0 when none (saturates).
long long DecimalValue(std::string_view s);
// Index of the first occurrence of pattern, -1 when none (bytes compared exactly).
int FindText(std::string_view text, std::string_view pattern);
// Fields between delimiters; a delimiter at the end adds no empty field; "" gives one empty field.
std::vector<std::string> SplitString(std::string_view text, std::string_view delimiters);
// "%02X" per byte, with a blank between pairs when spaced; no trailing blank.
std::string BytesToHex(const void* bytes, int length, bool spaced);
// Pairs of hex digits to bytes; an odd last digit is dropped; writes a 0 at out[length/2].
// Returns 0, or 1 when text or out is null. Characters that are not hex digits count as 0
// (the callers check the text first).
int HexToBytes(const char* text, int length, uint8_t* out);
// True when every character is a hex digit or a blank.
bool IsHexText(std::string_view s);
// ASCII text in upper case.
std::string UpperCase(std::string_view s);
// Case-insensitive equality of ASCII text.
bool EqualsNoCase(std::string_view a, std::string_view b);
// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// "YYYY-MM-DD hh:mm:ss" of the local time now.
std::string FormatTimeStamp();
