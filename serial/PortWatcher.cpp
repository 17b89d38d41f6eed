// CPortWatcher and CPortList: the port list of the 20 ms refresh is read again only when inotify
// reports a change that can matter.
#include "PortAliases.h"
#include "PortEnum.h"
#include "PortNames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr auto kFallbackPeriod = std::chrono::seconds(1);

// folder/name with folder resolved to its real path, so that inotify names compare.
std::string RealEntry(const std::string& path, std::string* realFolder) {
    const size_t slash = path.rfind('/');
    std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    char real[PATH_MAX];
    if (realpath(folder.c_str(), real)) folder = real;
    if (realFolder) *realFolder = folder;
    return (folder == "/" ? "" : folder) + "/" + path.substr(slash + 1);
}

} // namespace

CPortWatcher::CPortWatcher() {
    inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd >= 0) devWatch = inotify_add_watch(inotifyFd, "/dev", kEntryEvents | IN_ONLYDIR);
}

CPortWatcher::~CPortWatcher() {
    if (inotifyFd >= 0) close(inotifyFd); // drops every watch
}

void CPortWatcher::WatchFolder(const std::string& folder) {
    if (folderWatch >= 0 && folderWatch != devWatch) inotify_rm_watch(inotifyFd, folderWatch);
    watchedFolder = folder;
    folderWatch = inotify_add_watch(inotifyFd, folder.c_str(),
                                    kEntryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD);
    WatchTargets();
}

void CPortWatcher::WatchTargets() {
    for (const auto& [wd, folder] : targetWatches)
        if (wd != devWatch && wd != folderWatch) inotify_rm_watch(inotifyFd, wd);
    targetWatches.clear();
    targets.clear();
    std::vector<SPortAlias> aliases;
    ReadPortAliases(watchedFolder, aliases, nullptr);
    for (const SPortAlias& alias : aliases) {
        std::string folder;
        targets.insert(RealEntry(alias.target, &folder));
        // IN_MASK_ADD: a folder watched already (/dev, the ports folder) keeps its own events.
        const int wd = inotify_add_watch(inotifyFd, folder.c_str(), kEntryEvents | IN_ONLYDIR | IN_MASK_ADD);
        if (wd >= 0) targetWatches[wd] = folder;
    }
}

bool CPortWatcher::Changed() {
    bool changed = first;
    first = false;
    if (inotifyFd < 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastFallback < kFallbackPeriod) return changed;
        lastFallback = now;
        return true;
    }
    const std::string folder = PortsFolder();
    if (folder != watchedFolder || (folderWatch < 0 && access(folder.c_str(), F_OK) == 0)) {
        WatchFolder(folder);
        changed = true;
    }

    bool rewatchTargets = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(inotifyFd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            break;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + ev->len);
            const std::string name = ev->len ? ev->name : "";
            if (ev->mask & IN_Q_OVERFLOW) {
                changed = rewatchTargets = true;
            } else if (ev->wd == folderWatch) {
                changed = rewatchTargets = true;
                if (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                    if (!(ev->mask & IN_IGNORED)) inotify_rm_watch(inotifyFd, folderWatch);
                    folderWatch = -1; // looked for again on every call
                }
            } else if (ev->wd == devWatch) {
                if (PortNumberOfDevice(name) != 0 || targets.count("/dev/" + name)) changed = true;
            } else if (auto it = targetWatches.find(ev->wd); it != targetWatches.end()) {
                if (ev->mask & IN_IGNORED) {
                    targetWatches.erase(it); // the folder itself went away
                    changed = true;
                } else if (targets.count(it->second + "/" + name)) {
                    changed = true;
                }
            }
        }
    }
    if (rewatchTargets) WatchTargets();
    return changed;
}

const std::vector<SSerInfo>& CPortList::Get(std::string* error) {
    if (error) error->clear();
    const bool changed = watcher.Changed();
    if (valid && !changed) return cached;
    std::vector<SSerInfo> fresh;
    std::string text;
    ++reads;
    const bool ok = EnumeratePorts(fresh, false, &text);
    // A failed re-read keeps the previous list and is reported once; the next change tries again.
    if (ok || !valid) cached = std::move(fresh);
    if (!ok && error) *error = text;
    valid = true;
    return cached;
}
