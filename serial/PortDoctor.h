#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// The port doctor: why a port cannot be used and what the operator can do about it, from the
// device node (owner, group, mode), the processes that hold it (found through /proc), the
// groups of this user and the presence of ModemManager.

struct SPortHolder {
    int pid = 0;
    std::string command; // the command line, arguments separated by blanks
};

// Where the doctor looks. Every field has the real system as its default; tests point them at
// fake trees and fake group lists.
struct SDoctorSystem {
    std::string procRoot = "/proc";
    std::string udevRules; // the rules file to name; "" means UdevRulesFile()
    // The groups this process runs with, and the groups the user's account has now (/etc/group,
    // which a login session only takes at its start). Empty functions: the real ones.
    std::function<std::vector<gid_t>()> processGroups;
    std::function<std::vector<gid_t>()> accountGroups;
    // True when udev told ModemManager to leave the device alone (ID_MM_DEVICE_IGNORE). Empty: ask
    // udev where the build has it.
    std::function<bool(const std::string& device)> modemManagerIgnores;
};

// The processes that have device open, by PID; this one too when includeSelf. Processes of
// other users are not visible without privileges and are missing from the list.
std::vector<SPortHolder> FindPortHolders(const std::string& device, const SDoctorSystem& sys = {},
                                         bool includeSelf = false);
// "PID 123 (minicom -D /dev/ttyUSB0), PID 456 (cat)".
std::string HolderList(const std::vector<SPortHolder>& holders);

// A process named ModemManager runs.
bool ModemManagerRunning(const SDoctorSystem& sys = {});

// The operator's text for a failed open of device with errno err: the cause and, on further
// lines, the fix.
std::string DiagnoseOpenFailure(int err, const std::string& device, const SDoctorSystem& sys = {});

// After a successful open: a warning when ModemManager runs and device is a USB modem (ttyACM)
// that it has not been told to ignore; "" otherwise.
std::string ModemManagerWarning(const std::string& device, const SDoctorSystem& sys = {});

// The module did not answer "+++" on device at baud: the causes that are likely on Linux, one
// a line (the baud rate, another program that reads the port, ModemManager).
std::string EntryFailureAdvice(const std::string& device, unsigned baud, const SDoctorSystem& sys = {});
