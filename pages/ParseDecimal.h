#pragma once

#include <string>

// Value of a parameter text as the pages accept it: -1 when any character is not a decimal digit,
// otherwise its decimal value (the empty text is 0). A value beyond the largest 32-bit integer gives
// the largest 32-bit integer, which every page range refuses.
int ParseDecimal(const std::string& text);
