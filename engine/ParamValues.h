#pragma once

#include <string>

// The values a parameter set may hold for a writable parameter, as the window's pages offer them
// (list indexes, numbers with their bounds, "65535" for Random or Broadcast, 32 hex digits for a
// key). Scripts check a file against it before anything goes to a module.

// True when text is a value the pages could give for code. Codes without a rule (versions, MAC,
// network address, commands) take no value.
bool ValueAccepted(int code, const std::string& text);
// What a value of code must be, for messages: "0 to 2", "0 to 65531 or 65535",
// "0, 2, 3, 4 or 5", "32 hexadecimal digits"; "" for a code without a rule.
std::string AcceptedValuesText(int code);
