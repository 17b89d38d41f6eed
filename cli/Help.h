#pragma once

#include <string>

// The --help text of a subcommand ("" or unknown: the overview).
const char* HelpText(const std::string& command);
bool IsCommand(const std::string& command);
