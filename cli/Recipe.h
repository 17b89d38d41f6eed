#pragma once

#include "CmdResult.h"

#include <string>
#include <vector>

// A production recipe (INI): section RECIPE names the parameter set (ParamSet=), an optional
// firmware image (Firmware=) and the station (Station=); section RULES gives per-unit values of
// parameters: "counter:FIRST-LAST" (the next free number of the range) or "list:FILE" (the next
// free line of a file). Relative paths are taken from the recipe's folder.
struct SUnitRule {
    int code = 0;
    std::string name;                    // the rule as the records know it: "NID=counter:100-199"
    std::vector<std::string> candidates; // in the order they are given out
};

struct SRecipe {
    std::string path, station, firmware;
    std::vector<SCmdResult> set; // the parameter set, checked
    std::vector<SUnitRule> rules;
};

// Reads and checks the recipe, its parameter set, image and lists; false with every problem in
// problems (operator's messages).
bool ReadRecipe(const std::string& path, SRecipe& out, std::vector<std::string>& problems);
