#include "ProfileFile.h"

#include "RegularFile.h"
#include "TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The file split into lines without their '\n'; a '\r' before it stays part of the line, so a
// line that is not rewritten goes back exactly as it came.
struct SLines {
    std::vector<std::string> lines;
    bool crlf = false; // the file's first line ends in "\r\n": new lines follow that style
};

SLines Split(const std::string& text) {
    SLines out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    out.crlf = !out.lines.empty() && !out.lines.front().empty() && out.lines.front().back() == '\r' &&
               text.find('\n') != std::string::npos;
    return out;
}

std::string Body(const std::string& line) {
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

// The section name of a header line "[name]", or nothing for any other line.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string body = Trim(Body(line));
    if (body.empty() || body.front() != '[') return std::nullopt;
    const std::size_t close = body.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(body.substr(1, close - 1));
}

// The key name of a line "key=value" (blanks around the key removed), or nothing.
std::optional<std::string> KeyOf(const std::string& line) {
    const std::string body = Body(line);
    const std::size_t eq = body.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return Trim(body.substr(0, eq));
}

struct SPlace {
    int header = -1; // line of the section header, -1 when the section is missing
    int end = 0;     // one past the section's last line (the next header or the end)
    int key = -1;    // line of the key, -1 when missing
};

SPlace Find(const SLines& file, const std::string& section, const std::string& key) {
    SPlace place;
    const int count = int(file.lines.size());
    for (int i = 0; i < count && place.header < 0; ++i) {
        const auto name = SectionOf(file.lines[i]);
        if (name && SameName(*name, section)) place.header = i;
    }
    if (place.header < 0) return place;
    place.end = count;
    for (int i = place.header + 1; i < count; ++i) {
        if (SectionOf(file.lines[i])) {
            place.end = i;
            break;
        }
        const auto name = KeyOf(file.lines[i]);
        if (place.key < 0 && name && SameName(*name, key)) place.key = i;
    }
    return place;
}

enum class EReadState { Missing, Read, Failed };

// What identifies one version of a file: a write (ours replaces the file, an editor's changes its
// times or size) gives another.
struct SFileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{}, changed{};
    bool operator==(const SFileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

bool IdentityOf(const std::string& path, SFileIdentity& id) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    id = SFileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    return true;
}

} // namespace

// The lines of the file as last read or written, with the identity they belong to.
struct CProfileFile::SSnapshot {
    SFileIdentity identity;
    SLines file;
};

namespace {

// The file's lines, read and split only when the file is not the version last seen.
EReadState Load(const std::string& path, std::shared_ptr<CProfileFile::SSnapshot>& snapshot, std::string& error) {
    SFileIdentity id;
    const bool regular = IdentityOf(path, id);
    if (regular && snapshot && snapshot->identity == id) return EReadState::Read;
    snapshot.reset();
    std::string text;
    switch (ReadRegularFile(path, CProfileFile::kMaxBytes, text, error)) {
    case FILE_MISSING:
        error.clear();
        return EReadState::Missing;
    case FILE_REFUSED:
        return EReadState::Failed;
    case FILE_OPENED:
        break;
    }
    snapshot = std::make_shared<CProfileFile::SSnapshot>(CProfileFile::SSnapshot{id, Split(text)});
    return EReadState::Read;
}

// Writes all of data to fd; false with errno set on a failure.
bool WriteAllTo(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

// Replaces the file at path with data: a temporary file beside the real file (a symbolic link is
// followed, so it stays a link), flushed, given the old file's mode, then renamed over it. Either
// the old or the new content is on disk at any moment.
bool ReplaceFile(const std::string& path, const std::string& data, std::string& error) {
    std::string target = path;
    if (char* real = realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat old {};
    const bool existed = stat(target.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        error = "Is a directory";
        return false;
    }
    std::string temp = target + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    mode_t mode = 0666;
    if (existed) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    bool ok = WriteAllTo(fd, data) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        error = std::strerror(err);
        unlink(temp.c_str());
    }
    return ok;
}

// The value of a key line as the reader sees it: blanks and one pair of matching quotes removed.
std::string ValueOf(const std::string& line) {
    const std::string body = Body(line);
    std::string value = Trim(body.substr(body.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// At most maxChars characters of text, never cutting a UTF-8 sequence.
std::string Bounded(const std::string& text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue; // continuation byte
        if (chars == maxChars) return text.substr(0, i);
        ++chars;
    }
    return text;
}

} // namespace

CProfileFile::CProfileFile(std::string path) : path(std::move(path)) {}

std::string CProfileFile::ReadText(const std::string& section, const std::string& key, const std::string& def,
                                   std::size_t bufferSize) const {
    const std::size_t maxChars = bufferSize == 0 ? 0 : bufferSize - 1;
    std::string error;
    if (Load(path, snapshot, error) != EReadState::Read) return Bounded(def, maxChars);
    const SLines& file = snapshot->file;
    const SPlace place = Find(file, Trim(section), Trim(key));
    if (place.key < 0) return Bounded(def, maxChars);
    return Bounded(ValueOf(file.lines[place.key]), maxChars);
}

int CProfileFile::ReadInt(const std::string& section, const std::string& key, int def) const {
    static const std::string kMissing("\x01missing", 8);
    const std::string value = ReadText(section, key, kMissing);
    if (value == kMissing || value.empty()) return def;
    std::size_t i = 0;
    while (i < value.size() && IsBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    // Saturate instead of wrapping: a huge number stays huge and keeps its sign.
    int64_t number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        number = std::min<int64_t>(number * 10 + (value[i] - '0'), int64_t(INT_MAX) + 1);
    if (negative) return int(-number);
    return int(std::min<int64_t>(number, INT_MAX));
}

namespace {
// Every key written into file as the private-profile rules say; the file's new text.
std::string PutKeys(SLines& file, const std::string& sectionName,
                    const std::vector<std::pair<std::string, std::string>>& keys) {
    const std::string cr = file.crlf ? "\r" : "";
    for (const auto& [key, value] : keys) {
        const std::string keyName = Trim(key);
        const SPlace place = Find(file, sectionName, keyName);
        if (place.key >= 0) {
            // Keep the key's spelling as the file has it.
            file.lines[place.key] = *KeyOf(file.lines[place.key]) + "=" + value + cr;
        } else if (place.header >= 0) {
            int after = place.end;
            while (after > place.header + 1 && Trim(Body(file.lines[after - 1])).empty())
                --after;
            file.lines.insert(file.lines.begin() + after, keyName + "=" + value + cr);
        } else {
            if (!file.lines.empty() && !Trim(Body(file.lines.back())).empty()) file.lines.push_back(cr);
            file.lines.push_back("[" + sectionName + "]" + cr);
            file.lines.push_back(keyName + "=" + value + cr);
        }
    }

    std::string out;
    for (const std::string& l : file.lines)
        out += l + "\n";

    return out;
}
} // namespace

bool CProfileFile::WriteText(const std::string& section, const std::string& key, const std::string& value) {
    return WriteTexts(section, {{key, value}});
}

bool CProfileFile::WriteTexts(const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& keys) {
    lastError.clear();
    if (keys.empty()) return true;
    const std::string sectionName = Trim(section);
    const bool sectionOk =
        !sectionName.empty() && sectionName.find(']') == std::string::npos && !HasLineBreak(sectionName);
    for (const auto& [key, value] : keys) {
        const std::string keyName = Trim(key);
        if (!sectionOk || keyName.empty() || keyName.find('=') != std::string::npos ||
            keyName.front() == '[' || keyName.front() == ';' || HasLineBreak(keyName) ||
            HasLineBreak(value)) {
            lastError = "Invalid section, key or value";
            return false;
        }
    }

    if (Load(path, snapshot, lastError) == EReadState::Failed) return false;
    SLines file = snapshot ? snapshot->file : SLines();
    const std::string out = PutKeys(file, sectionName, keys);
    if (!ReplaceFile(path, out, lastError)) {
        snapshot.reset();
        return false;
    }
    SFileIdentity id;
    if (IdentityOf(path, id))
        snapshot = std::make_shared<SSnapshot>(SSnapshot{id, std::move(file)});
    else
        snapshot.reset();
    return true;
}

std::string CProfileFile::WithKeys(const std::string& text, const std::string& section,
                                   const std::vector<std::pair<std::string, std::string>>& keys) {
    SLines file = Split(text);
    return PutKeys(file, Trim(section), keys);
}

bool CProfileFile::ReadEntries(const std::string& section, std::vector<SProfileEntry>& entries, bool& found,
                               std::string& error, std::size_t bufferSize) const {
    const std::size_t maxChars = bufferSize == 0 ? 0 : bufferSize - 1;
    entries.clear();
    found = false;
    const EReadState state = Load(path, snapshot, error);
    if (state == EReadState::Missing) error = std::strerror(ENOENT);
    if (state != EReadState::Read) return false;
    const SLines& file = snapshot->file;
    const SPlace place = Find(file, Trim(section), std::string());
    found = place.header >= 0;
    for (int i = place.header + 1; found && i < place.end; ++i) {
        const auto name = KeyOf(file.lines[i]);
        if (name && !name->empty()) entries.push_back({*name, Bounded(ValueOf(file.lines[i]), maxChars), i + 1});
    }
    return true;
}

std::vector<std::pair<std::string, std::string>> CProfileFile::ReadSection(const std::string& section,
                                                                           std::size_t bufferSize,
                                                                           std::string* why) const {
    const std::size_t maxChars = bufferSize == 0 ? 0 : bufferSize - 1;
    std::vector<std::pair<std::string, std::string>> out;
    std::string error;
    const EReadState state = Load(path, snapshot, error);
    if (why) *why = state == EReadState::Failed ? error : std::string();
    if (state != EReadState::Read) return out;
    const SLines& file = snapshot->file;
    const SPlace place = Find(file, Trim(section), std::string());
    if (place.header < 0) return out;
    for (int i = place.header + 1; i < place.end; ++i) {
        const auto name = KeyOf(file.lines[i]);
        if (!name || name->empty()) continue;
        const bool seen =
            std::any_of(out.begin(), out.end(), [&](const auto& kv) { return SameName(kv.first, *name); });
        if (!seen) out.emplace_back(*name, Bounded(ValueOf(file.lines[i]), maxChars));
    }
    return out;
}
