#pragma once

#include <string>
#include <vector>

// The COM<n> aliases of the ports folder: every entry named "COM<n>" maps number n to a device.
// A symbolic link maps to its target (a relative target is taken from the folder); any other
// entry maps to itself. An alias counts only while its device exists, so a link left behind by
// a program that ended neither lists a port nor hides the fixed device of its number.

struct SPortAlias {
    unsigned number = 0;
    std::string target; // absolute path of the device the alias names
    bool live = false;  // the target exists
};

// The folder itself is PortsFolder() of PortEnum.h.

// Every alias of folder, live or not, in no particular order. A missing folder has no aliases;
// an unreadable one returns false with a text in error.
bool ReadPortAliases(const std::string& folder, std::vector<SPortAlias>& aliases, std::string* error);

// The alias of one number without reading the whole folder. False when there is none.
bool ReadPortAlias(const std::string& folder, unsigned number, SPortAlias& alias);
