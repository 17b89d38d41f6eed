#include "AtReplyParser.h"

#include "Messages.h"
#include "ParamCatalogue.h"
#include "TextUtil.h"

#include <algorithm>

namespace {
constexpr std::string_view kNws = "+NWS:";

bool Contains(std::string_view text, std::string_view s) {
    return text.find(s) != std::string_view::npos;
}

// One "+NWS:" record: the fields after the tag, complete when there are at least four.
bool NwsRecord(std::string_view body, SCmdResult& out) {
    std::vector<std::string> fields = SplitString(body, ",");
    if (fields.size() < 4) return false;
    out.type = PT_NWS;
    out.values = std::move(fields);
    return true;
}
} // namespace

int ParseAtReply(const SRecvBuffer& buffer, const SParseState& state, SCmdResult& result, SNwsExtra* extra) {
    std::string_view text = BufferText(buffer);
    size_t p = text.find(kNws);
    if (p != std::string_view::npos) {
        // Each record runs to the next "+NWS:" tag, or to the end of the line that holds its
        // fourth field (line-end bytes included): two records in one chunk stay two nodes, and a
        // reply around a record stays buffered for its own command.
        std::string rest(text.substr(0, p));
        bool first = true;
        while (p != std::string_view::npos) {
            const size_t next = text.find(kNws, p + kNws.size());
            size_t end = next == std::string_view::npos ? text.size() : next;
            std::string_view after;
            size_t fourth = p + kNws.size();
            for (int commas = 0; commas < 3 && fourth < end; ++commas) {
                fourth = text.find(',', fourth);
                fourth = fourth == std::string_view::npos ? end : fourth + 1;
            }
            const size_t lineEnd = fourth < end ? text.find_first_of("\r\n", fourth) : std::string_view::npos;
            if (lineEnd < end) {
                const size_t following = std::min(text.find_first_not_of("\r\n", lineEnd), end);
                after = text.substr(following, end - following);
                end = following;
            }
            const std::string_view body = text.substr(p + kNws.size(), end - p - kNws.size());
            SCmdResult record;
            if (NwsRecord(body, record)) {
                if (first)
                    result = std::move(record);
                else if (extra)
                    extra->more.push_back(std::move(record));
                first = false;
                rest += after;
            } else if (next == std::string_view::npos) {
                // A trailing partial record waits for the rest of its bytes.
                if (first) return REPLY_INCOMPLETE;
                if (extra) extra->keepFrom = static_cast<int>(p);
                rest += text.substr(p);
            }
            p = next;
        }
        if (first) return REPLY_INCOMPLETE;
        if (extra) extra->rest = std::move(rest);
        return state.curType == PT_NWS ? REPLY_DONE : REPLY_RECORD;
    }
    if (Contains(text, "+NV")) {
        result.type = 0;
        return REPLY_INCOMPLETE;
    }
    return state.curWrite == 0 ? ParseReadReply(text, state, result) : ParseWriteReply(text, state, result);
}

int ParseReadReply(std::string_view text, const SParseState& state, SCmdResult& result) {
    result.type = state.curType;
    std::string value;
    bool found = false;
    const int code = state.curType;
    if (code == PT_SOFT_VERSION || code == PT_BOOT_VERSION) {
        // With the module's echo on, the reply starts with the command itself: not part of the version.
        const std::string_view echo = FindParam(code)->readCmd;
        text.remove_prefix(std::min(text.size(), text.find_first_not_of("\r\n")));
        if (text.substr(0, echo.size()) == echo && text.size() > echo.size() &&
            (text[echo.size()] == '\r' || text[echo.size()] == '\n'))
            text = text.substr(echo.size());
        value = TrimLineEnds(text);
        size_t ok = text.find("OK");
        if (ok != std::string_view::npos) {
            value = TrimLineEnds(text.substr(0, ok));
            found = true;
        }
    } else if (code >= PT_IPR && code <= PT_TLK) {
        found = ExtractKeyValue(text, FindParam(code)->mnemonic, value);
    } else if (code == PT_FAC || code == PT_SRS) {
        found = Contains(text, "OK");
        value = found ? "1" : "0";
    } else {
        result.type = 0;
        return REPLY_INCOMPLETE;
    }
    if (found) {
        result.values.push_back(TrimLineEnds(value));
        return REPLY_DONE;
    }
    return Contains(text, "ERROR") ? REPLY_ERROR : REPLY_INCOMPLETE;
}

int ParseWriteReply(std::string_view text, const SParseState& state, SCmdResult& result) {
    result.type = state.curType;
    if (Contains(text, "OK")) {
        result.values.emplace_back();
        return REPLY_DONE;
    }
    return Contains(text, "ERROR") ? REPLY_ERROR : REPLY_INCOMPLETE;
}

int StaleReplyLength(std::string_view text, const SParseState& state) {
    if (Contains(text, kNws) || Contains(text, "+NV") || state.curType == PT_NWS) return 0;
    const SParamInfo* info = FindParam(state.curType);
    std::string key;
    if (info && info->mnemonic) key.append("+").append(info->mnemonic);
    const bool version = state.curType == PT_SOFT_VERSION || state.curType == PT_BOOT_VERSION;
    bool plusLine = false, keyLine = false, textLine = false;
    size_t at = 0;
    while (at < text.size()) {
        const size_t from = text.find_first_not_of("\r\n", at);
        if (from == std::string_view::npos) return 0;
        size_t to = text.find_first_of("\r\n", from);
        if (to == std::string_view::npos) to = text.size();
        const std::string_view line = text.substr(from, to - from);
        at = to;
        if (line != "OK" && line != "ERROR") {
            // The module's echo of a command or of the escape.
            if (line.starts_with("AT") || line.find_first_not_of('+') == std::string_view::npos) continue;
            // The tail of an "OK" whose head the purge before the write took: no version text is
            // a piece of "OK", so it goes alone, with its line ends, and the reply decides.
            if (version && !plusLine && !textLine && (line == "O" || line == "K") && to < text.size())
                return static_cast<int>(std::min(text.find_first_not_of("\r\n", to), text.size()));
            plusLine |= line.starts_with("+");
            keyLine |= !key.empty() && line.starts_with(key);
            textLine |= !line.starts_with("+");
            continue;
        }
        // A complete reply ends here, with its line ends.
        const size_t end = std::min(text.find_first_not_of("\r\n", to), text.size());
        const int length = static_cast<int>(end);
        if (state.curType == 0) return length;
        if (line == "ERROR") return 0; // a refusal: the command in flight's own, as far as can be told
        if (state.curWrite != 0 || state.curType == PT_FAC || state.curType == PT_SRS)
            return plusLine || textLine ? length : 0;
        if (version)
            return plusLine || !textLine ? length : 0;
        if (!key.empty()) return keyLine ? 0 : length;
        return 0;
    }
    return 0;
}

bool ExtractKeyValue(std::string_view text, std::string_view key, std::string& value) {
    long keyStart = -1, okPos = -1;
    const long n = static_cast<long>(text.size());
    for (long i = 0; i < n; ++i) {
        if (text[i] == '+') {
            keyStart = i;
            bool match = true;
            for (size_t k = 0; k < key.size(); ++k) {
                if (i + 1 + static_cast<long>(k) >= n || text[i + 1 + k] != key[k]) {
                    match = false;
                    break;
                }
            }
            if (!match) {
                keyStart = -1;
                continue;
            }
            i += static_cast<long>(key.size());
        } else if (keyStart != -1 && i + 1 < n && text[i] == 'O' && text[i + 1] == 'K') {
            okPos = i;
            break;
        }
    }
    if (keyStart == -1 || okPos == -1) return false;
    long from = keyStart + 1 + static_cast<long>(key.size()) + 1;
    value = okPos > from ? std::string(text.substr(from, okPos - from)) : std::string();
    return true;
}
