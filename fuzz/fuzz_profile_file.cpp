// Arbitrary bytes as a settings file or parameter set: the INI reader (keys, sections, numbers),
// the import of a parameter set, and a write into the file followed by a read of what was written.
// No imported value may hold a line break, and a key written is read back as written.
#include "ConfigFile.h"
#include "ProfileFile.h"
#include "TextUtil.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
std::string TempPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/calyra-fuzz-profile-" + std::to_string(getpid()) + ".ini";
    }();
    return path;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = TempPath();
    if (!WriteFile(path, data, size)) return 0;

    CProfileFile file(path);
    (void)file.ReadInt("CONFIG", "LANGUAGE", 1);
    (void)file.ReadText("CONFIG", "SendTimer", "1000", 1024);
    for (const auto& [key, value] : file.ReadSection("CONFIG", 260))
        if (value.size() > 259 * 4) std::abort(); // 259 characters of at most four bytes
    std::vector<std::string> messages;
    for (const SCmdResult& r : ReadConfigFile(path, &messages))
        if (r.values.empty() || r.values[0].empty() || HasLineBreak(r.values[0])) std::abort();

    // A write keeps the rest of the file and is read back, by this object and by a fresh one.
    if (file.WriteText("CONFIG", "HexShow", "0")) {
        if (file.ReadText("CONFIG", "HexShow", "?") != "0") std::abort();
        if (CProfileFile(path).ReadInt("CONFIG", "HexShow", 7) != 0) std::abort();
    }
    unlink(path.c_str());
    return 0;
}
