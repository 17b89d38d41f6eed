#include "CmdItem.h"

#include "ParamCatalogue.h"
#include "TextUtil.h"

#include <cstring>

std::string SCmdItem::Text() const {
    return std::string(reinterpret_cast<const char*>(data),
                       strnlen(reinterpret_cast<const char*>(data), sizeof data));
}

bool MakeTextCommand(const std::string& text, int type, int isWrite, SCmdItem& out) {
    out = SCmdItem{};
    if (text.size() > CMD_MAX_TEXT) return false; // text, "\r\n" and the NUL must fit 128 bytes
    if (HasLineBreak(text)) return false;
    out.type = type;
    out.isWrite = isWrite;
    std::memcpy(out.data, text.data(), text.size());
    std::memcpy(out.data + text.size(), "\r\n", 2);
    out.length = static_cast<int32_t>(text.size() + 2);
    return true;
}

bool MakeWriteCommand(int type, const std::string& value, SCmdItem& out) {
    const SParamInfo* p = FindParam(type);
    if (!p || !p->writePrefix) {
        out = SCmdItem{};
        return false;
    }
    return MakeTextCommand(std::string(p->writePrefix) + value, type, 1, out);
}

SCmdItem MakeValueRecord(int type, const std::string& value) {
    SCmdItem item;
    item.type = type;
    size_t n = value.size() < sizeof item.data - 1 ? value.size() : sizeof item.data - 1;
    std::memcpy(item.data, value.data(), n);
    return item;
}
