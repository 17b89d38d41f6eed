#pragma once

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

// One serial port found by the enumeration.
struct SSerInfo {
    std::string devicePath;   // Linux device that opens the port, e.g. /dev/ttyUSB0
    std::string portName;     // "COM34"
    std::string friendlyName; // display name, "<description> (COM34)"
    int isUsb = 0;
    std::string description; // display name without its trailing port part
};

// The serial ports present plus the COM<n> aliases of the ports folder, each with a COM number
// that CSerial::Open accepts. Returns false with a text in error on a failure; the entries found
// before it stay in the list.
bool EnumeratePorts(std::vector<SSerInfo>& list, bool onlyOpenable, std::string* error = nullptr);

// The COM name the main window lists for an entry: friendlyName without its leading description,
// with every "(", ")" and blank removed.
std::string ListName(const SSerInfo& info);

// The Linux device path of a COM number: an alias of the ports folder wins over the fixed
// mapping (ttyS<k> -> COM<k+1>, ttyUSB<k> -> COM<33+k>, ttyACM<k> -> COM<65+k>); "" when unknown.
std::string ResolvePortPath(unsigned portNumber);

// The ports folder: $CALYRA_PORTS_DIR, else $XDG_CONFIG_HOME/calyra/ports (~/.config/calyra/ports).
std::string PortsFolder();

// Cheap change detection for the 20 ms refresh: true when the device set or the ports folder may
// have changed since the last call (inotify on /dev and the ports folder). The first call is true.
// Watched: numbered devices appearing in /dev or leaving it; any entry of the ports folder; the
// devices its aliases name, in their own folders (a pseudo-terminal of /dev/pts that closes), so
// that other programs' terminals coming and going do not count. A missing ports folder is looked
// for on every call, and a changed $CALYRA_PORTS_DIR is followed. Without inotify, true once a
// second. A call that finds nothing costs one non-blocking read of the inotify descriptor.
class CPortWatcher {
  public:
    CPortWatcher();
    ~CPortWatcher();
    CPortWatcher(const CPortWatcher&) = delete;
    CPortWatcher& operator=(const CPortWatcher&) = delete;
    bool Changed();
    // The inotify descriptor: readable when Changed() may be true, so an event loop can wait
    // on it instead of asking every 20 ms. -1 without inotify.
    int Descriptor() const { return inotifyFd; }
    // Changed() must still be asked now and then: without inotify, or while the ports folder
    // is missing (its creation is not watched).
    bool NeedsPolling() const { return inotifyFd < 0 || folderWatch < 0; }

  private:
    void WatchFolder(const std::string& folder);
    void WatchTargets();

    int inotifyFd = -1;
    std::string watchedFolder;
    int folderWatch = -1;
    bool first = true;
    int devWatch = -1;
    std::map<int, std::string> targetWatches; // watch -> folder holding alias targets
    std::set<std::string> targets;            // alias targets as <real folder>/<name>
    std::chrono::steady_clock::time_point lastFallback{};
};

// Cached enumeration for the 20 ms refresh: re-enumerates only when the watcher reports a change.
class CPortList {
  public:
    // The current list; error (if given) holds the text of a failed re-read, the previous list is kept.
    const std::vector<SSerInfo>& Get(std::string* error = nullptr);
    void Invalidate() { valid = false; }
    // How many times the list was read from the system.
    unsigned long Reads() const { return reads; }
    int Descriptor() const { return watcher.Descriptor(); }
    bool NeedsPolling() const { return watcher.NeedsPolling(); }

  private:
    CPortWatcher watcher;
    std::vector<SSerInfo> cached;
    bool valid = false;
    unsigned long reads = 0;
};
