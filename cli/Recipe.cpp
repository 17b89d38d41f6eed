#include "Recipe.h"

#include "CliTexts.h"
#include "Commands.h"
#include "ConfigFile.h"
#include "ParamCatalogue.h"
#include "ParamValues.h"
#include "ProfileFile.h"
#include "TextUtil.h"
#include "Texts.h"

#include <filesystem>
#include <fstream>

namespace {
std::string Beside(const std::string& recipe, const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return (std::filesystem::path(recipe).parent_path() / path).string();
}

std::string Trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// The candidates of one rule text; "" on success, else what is wrong.
std::string RuleValues(const std::string& recipe, int code, const std::string& text, std::vector<std::string>& out) {
    if (text.rfind("counter:", 0) == 0) {
        const std::vector<std::string> ends = SplitString(text.substr(8), "-");
        if (ends.size() != 2 || ends[0].empty() || ends[1].empty() ||
            ends[0].find_first_not_of("0123456789") != std::string::npos ||
            ends[1].find_first_not_of("0123456789") != std::string::npos)
            return "\"" + text + "\" is no counter range FIRST-LAST";
        const long long first = DecimalValue(ends[0]), last = DecimalValue(ends[1]);
        if (first > last) return "\"" + text + "\": FIRST is above LAST";
        for (long long v = first; v <= last; ++v) {
            if (!ValueAccepted(code, std::to_string(v)))
                return "\"" + text + "\": " + std::to_string(v) + " is out of range (" + AcceptedValuesText(code) + ")";
            out.push_back(std::to_string(v));
        }
        return {};
    }
    if (text.rfind("list:", 0) == 0) {
        const std::string file = Beside(recipe, Trimmed(text.substr(5)));
        std::ifstream in(file);
        if (!in) return TextPrintf(TXT_FILE_UNREADABLE, file.c_str(), "cannot be opened");
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            line = Trimmed(line);
            if (line.empty() || line[0] == '#') continue;
            if (!ValueAccepted(code, line))
                return TextPrintf(TXT_VALUE_OUT_OF_RANGE, file.c_str(), number, FindParam(code)->mnemonic,
                              line.c_str(), AcceptedValuesText(code).c_str());
            out.push_back(line);
        }
        if (out.empty()) return file + " holds no value";
        return {};
    }
    return "\"" + text + "\" is no rule (counter:FIRST-LAST or list:FILE)";
}
} // namespace

bool ReadRecipe(const std::string& path, SRecipe& recipe, std::vector<std::string>& problems) {
    recipe.path = path;
    const auto problem = [&](const std::string& text) {
        problems.push_back(TextPrintf(TXT_RECIPE_PROBLEM, path.c_str(), text.c_str()));
    };
    CProfileFile file(path);
    std::vector<SProfileEntry> entries;
    bool found = false;
    std::string error;
    if (!file.ReadEntries("RECIPE", entries, found, error)) {
        problem(error);
        return false;
    }
    if (!found) problem("no [RECIPE] section");
    std::string setPath;
    for (const SProfileEntry& e : entries) {
        if (EqualsNoCase(e.key, "ParamSet")) setPath = Beside(path, e.value);
        else if (EqualsNoCase(e.key, "Firmware")) recipe.firmware = Beside(path, e.value);
        else if (EqualsNoCase(e.key, "Station")) recipe.station = e.value;
        else problem("line " + std::to_string(e.line) + ": unknown key \"" + e.key + "\"");
    }
    if (setPath.empty()) {
        problem("no ParamSet= in [RECIPE]");
    } else {
        const SParamSet set = ReadParamSet(setPath);
        for (const SParamSetProblem& p : set.problems)
            if (p.fatal) problems.push_back(p.text);
        recipe.set = set.values;
    }
    if (!recipe.firmware.empty())
        if (const std::string why = ImageProblem(recipe.firmware); !why.empty()) problems.push_back(why);

    file.ReadEntries("RULES", entries, found, error);
    for (const SProfileEntry& e : entries) {
        const SParamInfo* info = FindParamByMnemonic(UpperCase(e.key));
        if (!info || !info->writePrefix) {
            problem("line " + std::to_string(e.line) + ": \"" + e.key + "\" is no parameter that can be written");
            continue;
        }
        SUnitRule rule;
        rule.code = info->code;
        rule.name = std::string(info->mnemonic) + "=" + e.value;
        if (const std::string why = RuleValues(path, info->code, e.value, rule.candidates); !why.empty())
            problem("line " + std::to_string(e.line) + ": " + why);
        else
            recipe.rules.push_back(rule);
    }
    return problems.empty();
}
