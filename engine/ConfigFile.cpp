#include "ConfigFile.h"

#include "ParamCatalogue.h"
#include "ParamValues.h"
#include "ProfileFile.h"
#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>

namespace {
constexpr const char* kSection = "CONFIG";
constexpr std::size_t kValueBuffer = 260; // 259 characters of a value and the terminator

// The key lines of value records, in record order.
std::vector<std::pair<std::string, std::string>> ExportKeys(const std::vector<SCmdItem>& values) {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const SCmdItem& item : values) {
        if (MnemonicCode(item.type) == -1) continue; // versions, search: no key
        keys.emplace_back(FindParam(item.type)->mnemonic, item.Text());
    }
    return keys;
}
} // namespace

std::string SExportResult::Message() const {
    switch (outcome) {
    case EXPORT_EMPTY:
        return Text(266);
    case EXPORT_WRITTEN:
        return Text(212);
    case EXPORT_FAILED:
        return FormatText(TXT_EXPORT_FAILED, {error});
    case EXPORT_CANCELLED:
        break;
    }
    return std::string();
}

SExportResult ExportConfig(const std::vector<SCmdItem>& values,
                           const std::function<std::string()>& choosePath) {
    SExportResult result;
    if (values.empty()) {
        result.outcome = EXPORT_EMPTY;
        return result;
    }
    result.path = choosePath ? choosePath() : std::string();
    if (result.path.empty()) {
        result.outcome = EXPORT_CANCELLED;
        return result;
    }
    CProfileFile file(result.path);
    if (file.WriteTexts(kSection, ExportKeys(values))) {
        result.outcome = EXPORT_WRITTEN;
    } else {
        result.outcome = EXPORT_FAILED;
        result.error = file.LastError();
    }
    return result;
}

std::vector<SCmdResult> ReadConfigFile(const std::string& path, std::vector<std::string>* messages) {
    std::string error;
    const auto keys = CProfileFile(path).ReadSection(kSection, kValueBuffer, &error);
    if (!error.empty() && messages) messages->push_back(FormatText(TXT_IMPORT_FAILED, {error}));
    std::vector<SCmdResult> out;
    for (int code = PT_IPR; code <= PT_KEY; ++code) {
        const SParamInfo* info = FindParam(code);
        if (!info || !info->mnemonic) continue;
        for (const auto& [key, value] : keys) {
            if (!EqualsNoCase(key, info->mnemonic)) continue;
            if (HasLineBreak(value)) {
                if (messages) messages->push_back(FormatText(TXT_VALUE_LINE_BREAK, {ParamCaption(code)}));
            } else if (!value.empty()) {
                out.push_back(SCmdResult{code, {value}});
            }
            break;
        }
    }
    return out;
}

bool ImportConfig(const std::string& path, const std::function<void()>& reset,
                  const std::function<void(const SCmdResult&)>& apply, std::vector<std::string>* messages) {
    // Read before the reset: the pages are cleared in every case, but the file is read once.
    const std::vector<SCmdResult> results = ReadConfigFile(path, messages);
    if (reset) reset();
    for (const SCmdResult& r : results)
        if (apply) apply(r);
    return !results.empty();
}

const std::vector<int>& ExportKeyOrder() {
    static const std::vector<int> order = {PT_IPR, PT_PAR, PT_STO, PT_UFC, PT_ECH, PT_DBL, PT_TYP,
                                           PT_AST, PT_CHA, PT_ITV, PT_PID, PT_TID, PT_NID, PT_MOD,
                                           PT_SLE, PT_STC, PT_WTC, PT_ENP, PT_PRD, PT_CDA, 28, 33,
                                           29, 34, 30, 35, 31, 36, 32, 37, PT_SEC, PT_KEY, PT_TLK};
    return order;
}

std::string ConfigFileText(const std::vector<SCmdItem>& values) {
    return CProfileFile::WithKeys(std::string(), kSection, ExportKeys(values));
}

bool SParamSet::Ok() const {
    for (const SParamSetProblem& p : problems)
        if (p.fatal) return false;
    return true;
}

SParamSet ReadParamSet(const std::string& path) {
    SParamSet set;
    std::vector<SProfileEntry> entries;
    bool found = false;
    std::string error;
    if (!CProfileFile(path).ReadEntries(kSection, entries, found, error, kValueBuffer)) {
        set.problems.push_back({0, TextPrintf(TXT_FILE_UNREADABLE, path.c_str(), error.c_str())});
        return set;
    }
    std::vector<std::pair<int, const SProfileEntry*>> known; // code, entry
    for (const SProfileEntry& e : entries) {
        const SParamInfo* info = FindParamByMnemonic(UpperCase(e.key));
        if (!info || info->code < PT_IPR || info->code > PT_TLK) {
            set.problems.push_back(
                {e.line, TextPrintf(TXT_UNKNOWN_PARAMETER, path.c_str(), e.line, e.key.c_str())});
            continue;
        }
        const bool twice = std::any_of(known.begin(), known.end(), [&](const auto& k) { return k.first == info->code; });
        if (twice) {
            set.problems.push_back(
                {e.line, TextPrintf(TXT_PARAMETER_TWICE, path.c_str(), e.line, e.key.c_str()), false});
            continue;
        }
        known.emplace_back(info->code, &e);
        if (!info->writePrefix || info->code == PT_TLK) {
            set.problems.push_back(
                {e.line, TextPrintf(TXT_PARAMETER_IGNORED, path.c_str(), e.line, e.key.c_str()), false});
            continue;
        }
        if (!ValueAccepted(info->code, e.value)) {
            set.problems.push_back({e.line, TextPrintf(TXT_VALUE_OUT_OF_RANGE, path.c_str(), e.line,
                                                   info->mnemonic, e.value.c_str(),
                                                   AcceptedValuesText(info->code).c_str())});
        }
    }
    if (!found || known.empty()) {
        set.problems.insert(set.problems.begin(), {0, TextPrintf(TXT_NOT_A_PARAMETER_SET, path.c_str())});
        return set;
    }
    std::sort(known.begin(), known.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [code, entry] : known) {
        const SParamInfo* info = FindParam(code);
        if (!info->writePrefix || code == PT_TLK || !ValueAccepted(code, entry->value)) continue;
        set.values.push_back(SCmdResult{code, {entry->value}});
        set.lines.push_back(entry->line);
    }
    return set;
}
