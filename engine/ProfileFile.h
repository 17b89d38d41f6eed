#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One INI file with private-profile semantics, as ParamCfg.ini and the parameter set files use
// them: section and key names match without regard to case (and to blanks around them), the
// first matching section and key count, a written key replaces its line where it stands, a new
// key goes after the last line of its section, a new section goes to the end of the file, and
// every other line (comments, foreign keys, blank lines, text before the first section) is kept
// as it was. A call reads and splits the file only when it changed since this object last read or
// wrote it (its identity, size and times tell), so two objects on one path see each other's
// writes. Only a regular file of at most kMaxBytes is read: anything else reads as unreadable
// (defaults) and is never written over.
// One key line of a section as ReadEntries gives it.
struct SProfileEntry {
    std::string key;
    std::string value;
    int line = 0; // 1-based line number in the file
};

class CProfileFile {
  public:
    // Settings and parameter sets are a few kilobytes; a file past this is not one of them.
    static constexpr std::size_t kMaxBytes = 1 << 20;

    explicit CProfileFile(std::string path);

    const std::string& Path() const { return path; }

    // The value of key, or def when the file, the section or the key is missing. At most
    // bufferSize - 1 bytes are returned (the default too), never a partial UTF-8 character.
    // Blanks around the value and one pair of matching quotes around it are removed.
    std::string ReadText(const std::string& section, const std::string& key, const std::string& def,
                         std::size_t bufferSize = 1024) const;

    // The leading decimal number of the value (after blanks and an optional sign); 0 when the
    // value does not start with digits; def when the key is missing or its value is empty.
    int ReadInt(const std::string& section, const std::string& key, int def) const;

    // Writes key=value into section, creating the file, the section or the key as needed. The
    // file is replaced as a whole (written to a temporary file, then renamed over it), so a
    // failed write never leaves half a file. False, with LastError() set, when the file cannot
    // be read or written, or when section, key or value would break the line layout.
    bool WriteText(const std::string& section, const std::string& key, const std::string& value);

    // Several keys of one section in one replacement of the file, in the given order: either
    // all of them are written or, on a failure, none.
    bool WriteTexts(const std::string& section, const std::vector<std::pair<std::string, std::string>>& keys);

    // Every key of section with its value as ReadText gives it, in file order; a key that
    // stands twice is given once, with its first value. Empty when the file or the section is
    // missing. One read of the file for many keys. why, when given, gets the reason a file that
    // is there could not be read (empty otherwise).
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section,
                                                                 std::size_t bufferSize = SIZE_MAX,
                                                                 std::string* why = nullptr) const;

    // Every key line of section in file order, keys that stand twice included, with their line
    // numbers (for messages that point at a line). False, with error set, when the file cannot be
    // read; found tells whether the section is there at all.
    bool ReadEntries(const std::string& section, std::vector<SProfileEntry>& entries, bool& found,
                     std::string& error, std::size_t bufferSize = SIZE_MAX) const;

    // The text of a file after keys were written into section of text, by the rules of
    // WriteTexts (which validates the names first). What a new file would hold when text is "".
    static std::string WithKeys(const std::string& text, const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& keys);

    // Why the last WriteText failed (empty after a success).
    const std::string& LastError() const { return lastError; }

    struct SSnapshot;

  private:
    std::string path;
    std::string lastError;
    mutable std::shared_ptr<SSnapshot> snapshot; // the lines last read or written
};
