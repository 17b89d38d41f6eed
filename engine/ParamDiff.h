#pragma once

#include "CmdItem.h"

#include <string>
#include <vector>

// One parameter whose value differs between two parameter sets (value records of the pages).
struct SParamDifference {
    int code = 0;
    std::string before, now; // "" where the set has no value of the code
};

// The parameters of before whose value in now differs, in the order of before; values compare
// as a save does (line ends trimmed, letter case ignored), so a value that a save would not
// write again is no difference.
std::vector<SParamDifference> CompareParamSets(const std::vector<SCmdItem>& before,
                                               const std::vector<SCmdItem>& now);
