#include "SettingsLocation.h"

#include "SerialErrors.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether the settings file can be written in folder: the file is replaced through a temporary
// file beside it, so the folder must take a new file (a probe, created and removed again), and
// an existing file must be a regular file open for writing. access() would not do: root passes
// it on file systems that still refuse the write (read-only mounts, /proc). 0 or the errno.
int WritableError(const std::string& folder, const std::string& file) {
    const std::string path = folder + "/" + file;
    const std::string probe = path + ".probe-" + std::to_string(getpid());
    const int p = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (p < 0) return errno;
    close(p);
    unlink(probe.c_str());
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return 0;
    if (!S_ISREG(st.st_mode)) return EISDIR;
    const int f = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (f < 0) return errno;
    close(f);
    return 0;
}

} // namespace

std::string ConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/calyra";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/calyra";
}

SSettingsLocation LocateSettings(const std::string& workFolder, const std::string& fileName) {
    SSettingsLocation where;
    where.workFolder = workFolder;
    const int err = WritableError(workFolder, fileName);
    if (err == 0) {
        where.path = (workFolder == "/" ? "" : workFolder) + "/" + fileName;
        return where;
    }
    where.fallback = true;
    where.reason = ErrnoText(err);
    const std::string folder = ConfigFolder();
    where.path = folder + "/" + fileName;
    // The folder is made now, private as the XDG folders are; a failure shows at the first write.
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        mkdir(folder.substr(0, at).c_str(), 0700);
        if (at == std::string::npos) break;
    }
    return where;
}
