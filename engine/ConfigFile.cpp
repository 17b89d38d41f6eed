#include "ConfigFile.h"

#include "ParamCatalogue.h"
#include "ProfileFile.h"
#include "TextUtil.h"
#include "Texts.h"

namespace {
constexpr const char* kSection = "CONFIG";
constexpr std::size_t kValueBuffer = 260; // 259 characters of a value and the terminator
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
    std::vector<std::pair<std::string, std::string>> keys;
    for (const SCmdItem& item : values) {
        if (MnemonicCode(item.type) == -1) continue; // versions, search: no key
        keys.emplace_back(FindParam(item.type)->mnemonic, item.Text());
    }
    CProfileFile file(result.path);
    if (file.WriteTexts(kSection, keys)) {
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
