#pragma once

#include <string>
#include <vector>

// One serial port found by the enumeration.
struct SSerInfo {
    std::string devicePath;   // Linux device that opens the port, e.g. /dev/ttyUSB0
    std::string portName;     // "COM34"
    std::string friendlyName; // display name, "<description> (COM34)"
    int isUsb = 0;
    std::string description;  // display name without its trailing port part
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
// have changed since the last call (inotify on /dev and the ports folder).
class CPortWatcher {
public:
    CPortWatcher();
    ~CPortWatcher();
    CPortWatcher(const CPortWatcher&) = delete;
    CPortWatcher& operator=(const CPortWatcher&) = delete;
    bool Changed();

private:
    int inotifyFd = -1;
    std::string watchedFolder;
    int folderWatch = -1;
    bool first = true;
};

// Cached enumeration for the 20 ms refresh: re-enumerates only when the watcher reports a change.
class CPortList {
public:
    // The current list; error (if given) holds the text of a failed re-read, the previous list is kept.
    const std::vector<SSerInfo>& Get(std::string* error = nullptr);
    void Invalidate() { valid = false; }

private:
    CPortWatcher watcher;
    std::vector<SSerInfo> cached;
    bool valid = false;
};
