#include "PortDoctor.h"

#include "ProgramFiles.h"
#include "SerialErrors.h"
#include "Texts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef CALYRA_HAVE_UDEV
#include <libudev.h>
#endif

namespace {

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    while (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found && found->gr_name ? std::string(found->gr_name) : std::to_string(gid);
}

std::string UserName(uid_t uid) {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    while (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found && found->pw_name ? std::string(found->pw_name) : std::to_string(uid);
}

std::vector<gid_t> RealProcessGroups() {
    std::vector<gid_t> groups(static_cast<size_t>(std::max(0, getgroups(0, nullptr))));
    const int n = getgroups(int(groups.size()), groups.data());
    groups.resize(size_t(std::max(0, n)));
    groups.push_back(getegid());
    return groups;
}

std::vector<gid_t> RealAccountGroups() {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* me = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &me) != 0 || !me) return {};
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (getgrouplist(me->pw_name, me->pw_gid, groups.data(), &count) < 0) {
        groups.resize(size_t(count));
        getgrouplist(me->pw_name, me->pw_gid, groups.data(), &count);
    }
    groups.resize(size_t(std::max(0, count)));
    return groups;
}

bool Has(const std::vector<gid_t>& groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", unsigned(mode & 07777));
    return text;
}

std::string RulesFile(const SDoctorSystem& sys) {
    return sys.udevRules.empty() ? UdevRulesFile() : sys.udevRules;
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// /proc/<pid>/cmdline with its NULs as blanks; the short name of comm for a kernel thread.
std::string CommandOf(const std::string& procDir) {
    std::ifstream in(procDir + "/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text.empty() ? ReadFirstLine(procDir + "/comm") : text;
}

bool IsNumber(const char* name) {
    if (!*name) return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

// The base name of the device behind path (an alias or a by-id link resolved).
std::string DeviceBaseName(const std::string& path) {
    char real[PATH_MAX];
    const std::string resolved = realpath(path.c_str(), real) ? std::string(real) : path;
    return resolved.substr(resolved.rfind('/') + 1);
}

bool UdevIgnoredByModemManager(const std::string& device) {
#ifdef CALYRA_HAVE_UDEV
    struct stat st {};
    if (stat(device.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    udev* context = udev_new();
    if (!context) return false;
    udev_device* dev = udev_device_new_from_devnum(context, 'c', st.st_rdev);
    const char* value = dev ? udev_device_get_property_value(dev, "ID_MM_DEVICE_IGNORE") : nullptr;
    const bool ignored = value && std::string(value) == "1";
    if (dev) udev_device_unref(dev);
    udev_unref(context);
    return ignored;
#else
    (void)device;
    return false;
#endif
}

std::string PermissionAdvice(const std::string& device, const SDoctorSystem& sys) {
    struct stat st {};
    if (stat(device.c_str(), &st) != 0) return FillText(Text(TXT_DOCTOR_NO_ACCESS), {device});
    const std::string group = GroupName(st.st_gid);
    std::string text = FillText(Text(TXT_DOCTOR_PERMISSION),
                                {device, UserName(st.st_uid), group, ModeText(st.st_mode)});
    // A group helps only when it is not root's and may read and write the device.
    const bool groupHelps = st.st_gid != 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!groupHelps) return text + "\n" + FillText(Text(TXT_DOCTOR_UDEV_RULE), {group, RulesFile(sys)});
    const std::vector<gid_t> process = sys.processGroups ? sys.processGroups() : RealProcessGroups();
    const std::vector<gid_t> account = sys.accountGroups ? sys.accountGroups() : RealAccountGroups();
    if (Has(account, st.st_gid) && !Has(process, st.st_gid))
        return text + "\n" + FillText(Text(TXT_DOCTOR_LOG_IN_AGAIN), {group, group});
    return text + "\n" + FillText(Text(TXT_DOCTOR_JOIN_GROUP), {group, group});
}

std::string BusyAdvice(const std::string& device, const SDoctorSystem& sys) {
    // Others first; when there is none, this program itself may be the holder (a second
    // window, or a second port object in one process).
    std::vector<SPortHolder> holders = FindPortHolders(device, sys);
    if (holders.empty()) holders = FindPortHolders(device, sys, true);
    if (holders.empty()) return FillText(Text(TXT_DOCTOR_BUSY_UNSEEN), {device, device});
    std::string pids;
    for (const SPortHolder& h : holders)
        pids += (pids.empty() ? "" : " ") + std::to_string(h.pid);
    return FillText(Text(TXT_DOCTOR_BUSY), {device, HolderList(holders)}) + "\n" +
           FillText(Text(TXT_DOCTOR_BUSY_FIX), {pids});
}

} // namespace

std::vector<SPortHolder> FindPortHolders(const std::string& device, const SDoctorSystem& sys, bool includeSelf) {
    std::vector<SPortHolder> holders;
    struct stat target {};
    if (stat(device.c_str(), &target) != 0) return holders;
    DIR* proc = opendir(sys.procRoot.c_str());
    if (!proc) return holders;
    const int self = getpid();
    while (const dirent* entry = readdir(proc)) {
        if (!IsNumber(entry->d_name)) continue;
        const int pid = std::atoi(entry->d_name);
        if (pid == self && !includeSelf) continue;
        const std::string procDir = sys.procRoot + "/" + entry->d_name;
        DIR* fds = opendir((procDir + "/fd").c_str());
        if (!fds) continue; // another user's process, or it ended
        bool holds = false;
        while (const dirent* fd = readdir(fds)) {
            if (!IsNumber(fd->d_name)) continue;
            struct stat st {};
            // stat follows the descriptor's link to the open file itself.
            if (stat((procDir + "/fd/" + fd->d_name).c_str(), &st) == 0 && st.st_dev == target.st_dev &&
                st.st_ino == target.st_ino) {
                holds = true;
                break;
            }
        }
        closedir(fds);
        if (holds) holders.push_back({pid, CommandOf(procDir)});
    }
    closedir(proc);
    std::sort(holders.begin(), holders.end(), [](const SPortHolder& a, const SPortHolder& b) { return a.pid < b.pid; });
    return holders;
}

std::string HolderList(const std::vector<SPortHolder>& holders) {
    std::string text;
    for (const SPortHolder& h : holders)
        text += (text.empty() ? "" : ", ") + FillText(Text(TXT_DOCTOR_HOLDER), {std::to_string(h.pid), h.command});
    return text;
}

bool ModemManagerRunning(const SDoctorSystem& sys) {
    DIR* proc = opendir(sys.procRoot.c_str());
    if (!proc) return false;
    bool found = false;
    while (const dirent* entry = readdir(proc)) {
        if (!IsNumber(entry->d_name)) continue;
        if (ReadFirstLine(sys.procRoot + "/" + entry->d_name + "/comm") == "ModemManager") {
            found = true;
            break;
        }
    }
    closedir(proc);
    return found;
}

std::string DiagnoseOpenFailure(int err, const std::string& device, const SDoctorSystem& sys) {
    switch (err) {
    case EACCES:
    case EPERM:
        return PermissionAdvice(device, sys);
    case EBUSY:
    case EWOULDBLOCK:
        return BusyAdvice(device, sys);
    default:
        return OpenFailureText(err, device);
    }
}

std::string ModemManagerWarning(const std::string& device, const SDoctorSystem& sys) {
    if (DeviceBaseName(device).rfind("ttyACM", 0) != 0) return {};
    const bool ignored = sys.modemManagerIgnores ? sys.modemManagerIgnores(device) : UdevIgnoredByModemManager(device);
    if (ignored || !ModemManagerRunning(sys)) return {};
    return FillText(Text(TXT_DOCTOR_MODEM_MANAGER), {device, RulesFile(sys)});
}

std::string EntryFailureAdvice(const std::string& device, unsigned baud, const SDoctorSystem& sys) {
    std::string text = FillText(Text(TXT_DOCTOR_ENTRY_FAILED), {device}) + "\n" +
                       FillText(Text(TXT_DOCTOR_ENTRY_BAUD), {std::to_string(baud)});
    const std::vector<SPortHolder> holders = FindPortHolders(device, sys);
    if (!holders.empty()) text += "\n" + FillText(Text(TXT_DOCTOR_ENTRY_READER), {HolderList(holders)});
    if (const std::string mm = ModemManagerWarning(device, sys); !mm.empty()) text += "\n" + mm;
    return text;
}
