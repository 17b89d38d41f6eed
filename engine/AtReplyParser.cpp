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

// Where a tag cut by the chunk boundary ("+", "+N", "+NW", "+NWS") ends the text, or npos: the
// start of the next record, whose rest is still on its way.
size_t CutTagAt(std::string_view text) {
    for (size_t k = std::min(kNws.size() - 1, text.size()); k > 0; --k)
        if (text.substr(text.size() - k) == kNws.substr(0, k)) return text.size() - k;
    return std::string_view::npos;
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
        // Each record runs to the next "+NWS:" tag, so two records in one chunk stay two nodes.
        bool first = true;
        while (p != std::string_view::npos) {
            size_t next = text.find(kNws, p + kNws.size());
            // The last record ends before a cut tag, which stays buffered for the next record.
            size_t cut = std::string_view::npos;
            if (next == std::string_view::npos) {
                cut = CutTagAt(text);
                if (cut != std::string_view::npos && cut < p + kNws.size()) cut = std::string_view::npos;
            }
            const size_t end = next != std::string_view::npos ? next : cut;
            std::string_view body =
                text.substr(p + kNws.size(), end == std::string_view::npos ? std::string_view::npos : end - p - kNws.size());
            SCmdResult record;
            if (NwsRecord(body, record)) {
                if (first)
                    result = std::move(record);
                else if (extra)
                    extra->more.push_back(std::move(record));
                first = false;
                if (cut != std::string_view::npos && extra) extra->keepFrom = static_cast<int>(cut);
            } else if (next == std::string_view::npos) {
                // A trailing partial record waits for the rest of its bytes.
                if (first) return REPLY_INCOMPLETE;
                if (extra) extra->keepFrom = static_cast<int>(p);
            }
            p = next;
        }
        if (first) return REPLY_INCOMPLETE;
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
