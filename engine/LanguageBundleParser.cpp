#include "LanguageBundleParser.h"

namespace {

std::string TrimBlanks(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool ParseNumber(const std::string& s, int& out) {
    if (s.empty() || s.size() > 9) return false;
    out = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

// The value after "=": blanks removed, then the escapes resolved. A value in quotes keeps the
// blanks at its ends; a quote inside the text is written \".
bool ParseValue(const std::string& raw, std::string& out) {
    const std::string v = TrimBlanks(raw);
    const bool quoted = !v.empty() && v.front() == '"';
    out.clear();
    for (std::size_t i = quoted ? 1 : 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '"') return quoted && i + 1 == v.size();
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == v.size()) return false;
        switch (v[i]) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        default:
            return false;
        }
    }
    return !quoted;
}

bool Fail(std::string* error, const std::string& why, int lineNumber) {
    if (error) *error = lineNumber > 0 ? "line " + std::to_string(lineNumber) + ": " + why : why;
    return false;
}

} // namespace

bool IsUtf8(const std::string& text) {
    // A few lines instead of a conversion library: the reader must stay free of the toolkit.
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int extra = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
        if (extra < 0 || n - i <= std::size_t(extra)) return false;
        unsigned code = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            code = code << 6 | (s[i + k] & 0x3F);
        }
        const unsigned least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += std::size_t(extra) + 1;
    }
    return true;
}

bool ParseLanguageBundle(const std::string& input, SLanguageBundle& out, std::string* error) {
    std::string text = input;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (!IsUtf8(text)) return Fail(error, "not UTF-8 text", 0);

    enum { NONE, STRINGS, CAPTIONS, OTHER } section = NONE;
    bool sawStrings = false;
    SLanguageBundle bundle;
    std::size_t start = 0;
    for (int lineNumber = 1; start <= text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return Fail(error, "section header without ']'", lineNumber);
            std::string name = TrimBlanks(line.substr(1, line.size() - 2));
            for (char& c : name)
                c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            section = name == "strings" ? STRINGS : name == "captions" ? CAPTIONS : OTHER;
            sawStrings = sawStrings || section == STRINGS;
            continue;
        }
        if (section == OTHER) continue;
        const std::size_t eq = line.find('=');
        if (section == NONE || eq == std::string::npos) return Fail(error, "not a key line", lineNumber);
        const std::string key = TrimBlanks(line.substr(0, eq));
        std::string value;
        if (!ParseValue(line.substr(eq + 1), value)) return Fail(error, "bad value", lineNumber);
        if (section == STRINGS) {
            int id = 0;
            if (!ParseNumber(key, id)) return Fail(error, "bad string ID", lineNumber);
            if (!bundle.texts.emplace(id, value).second)
                return Fail(error, "string ID given twice", lineNumber);
        } else {
            const std::size_t dot = key.find('.');
            int templateId = 0;
            int controlId = 0;
            if (dot == std::string::npos || !ParseNumber(key.substr(0, dot), templateId) ||
                !ParseNumber(key.substr(dot + 1), controlId))
                return Fail(error, "bad caption ID", lineNumber);
            if (!bundle.captions.emplace(std::make_pair(templateId, controlId), value).second)
                return Fail(error, "caption ID given twice", lineNumber);
        }
    }
    if (!sawStrings) return Fail(error, "no [Strings] section", 0);
    out = std::move(bundle);
    return true;
}

