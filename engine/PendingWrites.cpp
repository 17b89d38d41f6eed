#include "PendingWrites.h"

#include "TextUtil.h"

bool SameParamValue(const std::string& stored, const std::string& page) {
    return EqualsNoCase(TrimLineEnds(stored), TrimLineEnds(page));
}

bool WritableParamValue(const std::string& page) {
    return !page.empty() && !HasLineBreak(page);
}

std::vector<SPendingWrite> PendingWrites(const std::vector<SCmdItem>& pageValues, const CResultList& lastRead) {
    std::vector<SPendingWrite> out;
    for (const SCmdItem& value : pageValues) {
        SPendingWrite change;
        change.type = value.type;
        change.pageValue = value.Text();
        if (!WritableParamValue(change.pageValue)) continue;
        if (const SCmdResult* stored = lastRead.Find(value.type)) {
            if (SameParamValue(stored->values[0], change.pageValue)) continue;
            change.moduleRead = true;
            change.moduleValue = stored->values[0];
        }
        out.push_back(std::move(change));
    }
    return out;
}
