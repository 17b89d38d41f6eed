#include "ParamDiff.h"

#include "TextUtil.h"

std::vector<SParamDifference> CompareParamSets(const std::vector<SCmdItem>& before,
                                               const std::vector<SCmdItem>& now) {
    std::vector<SParamDifference> out;
    for (const SCmdItem& b : before) {
        std::string current;
        for (const SCmdItem& n : now)
            if (n.type == b.type) {
                current = n.Text();
                break;
            }
        const std::string was = TrimLineEnds(b.Text());
        current = TrimLineEnds(current);
        if (!EqualsNoCase(was, current)) out.push_back({b.type, was, current});
    }
    return out;
}
