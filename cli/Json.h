#pragma once

#include <string>

// A JSON string literal of text (UTF-8 passed through, control characters escaped).
std::string JsonString(const std::string& text);
