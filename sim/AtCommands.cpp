#include "AtCommands.h"

#include "ParamCatalogue.h"
#include "ParamRules.h"
#include "TextUtil.h"

namespace {
constexpr const char* kOk = "OK\r\n";
constexpr const char* kError = "ERROR\r\n";

SAtOutcome RunCommand(int code, SAtContext& ctx) {
    switch (code) {
    case PT_SAV:
        ctx.local.Save();
        ++ctx.saveCount;
        return {kOk};
    case PT_FAC:
        ctx.local.Factory();
        return {kOk};
    case PT_SRS:
        return {kOk, AT_RESTART};
    default:
        return {"", AT_SEARCH};
    }
}

SAtOutcome RunRead(const SParamInfo& p, SAtContext& ctx) {
    if (ctx.failingReads.count(p.code)) return {kError};
    std::string value = ctx.local.Read(p.code);
    if (!p.mnemonic) return {value + "\r\n" + kOk};
    return {std::string("+") + p.mnemonic + ":" + value + "\r\n" + kOk};
}

SAtOutcome Dispatch(const std::string& line, SAtContext& ctx) {
    if (line == "AT") return {kOk};
    if (line == "AT+API") return {kOk, AT_TO_API};
    for (int code = PT_SOFT_VERSION; code <= PT_NWS; ++code) {
        const SParamInfo* p = FindParam(code);
        if (!p) continue;
        if (p->readCmd) {
            std::string read = p->readCmd;
            bool isCommand = code >= PT_SAV;
            if (line == read || (isCommand && line == read + "?"))
                return isCommand ? RunCommand(code, ctx) : RunRead(*p, ctx);
        }
        if (p->writePrefix && line.starts_with(p->writePrefix)) {
            auto value = AcceptAtValue(
                code, std::string_view(line).substr(std::char_traits<char>::length(p->writePrefix)));
            if (!value) return {kError};
            if (!ctx.keptValues.count(code)) ctx.local.Set(code, *value);
            return {kOk};
        }
    }
    return {kError};
}
} // namespace

SAtOutcome RunAtCommand(std::string_view line, SAtContext& ctx) {
    bool echo = ctx.local.Read(PT_ECH) == "1";
    SAtOutcome out = Dispatch(UpperCase(line), ctx);
    if (echo) out.reply = std::string(line) + "\r\n" + out.reply;
    return out;
}
