// The port doctor: the message of each cause of a failed open (device node modes and groups, a
// process that holds the port, ModemManager) against fake device nodes, a real holder process
// and a fake /proc tree.
#include "HolderProcess.h"
#include "PortDoctor.h"
#include "SerialTestSupport.h"

#include <cerrno>
#include <fstream>

namespace {

// A temporary folder with helpers to lay out fake nodes and a fake /proc.
class CTempTree {
  public:
    CTempTree() {
        char pattern[] = "/tmp/calyra-doctor-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
    }
    ~CTempTree() { CPortsFolder::RemoveAll(path); }
    std::string File(const std::string& name, mode_t mode, const std::string& text = "") const {
        const std::string full = path + "/" + name;
        for (size_t at = path.size() + 1; (at = full.find('/', at)) != std::string::npos; ++at)
            mkdir(full.substr(0, at).c_str(), 0755);
        std::ofstream(full) << text;
        chmod(full.c_str(), mode);
        return full;
    }
    std::string path;
};

// The holder process, waited for until it runs sleep with the device open.
struct SHolder : SHolderProcess {
    using SHolderProcess::SHolderProcess;
    bool Ready(const std::string& device) const {
        for (int i = 0; i < 200; ++i) {
            for (const SPortHolder& h : FindPortHolders(device))
                if (h.pid == pid && h.command == "sleep 30") return true;
            usleep(10000);
        }
        return false;
    }
};

SDoctorSystem Groups(std::vector<gid_t> process, std::vector<gid_t> account) {
    SDoctorSystem sys;
    sys.udevRules = "/usr/lib/udev/rules.d/70-calyra.rules";
    sys.processGroups = [process] { return process; };
    sys.accountGroups = [account] { return account; };
    return sys;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

struct SPermissionCase {
    const char* name;
    mode_t mode;
    bool inAccount;       // the account has the node's group
    bool inProcess;       // this process has it
    const char* expected; // part of the advice
    const char* notExpected;
};

class PortDoctorPermission : public ::testing::TestWithParam<SPermissionCase> {};

TEST_P(PortDoctorPermission, SaysWhatHelps) {
    const SPermissionCase& c = GetParam();
    CTempTree tree;
    const std::string node = tree.File("ttyUSB0", c.mode);
    // Files of root are of group root, which these cases are not about.
    if (geteuid() == 0) ASSERT_EQ(chown(node.c_str(), static_cast<uid_t>(-1), 4243), 0);
    struct stat st {};
    ASSERT_EQ(stat(node.c_str(), &st), 0);
    std::vector<gid_t> account = {4242};
    if (c.inAccount) account.push_back(st.st_gid);
    std::vector<gid_t> process = {4242};
    if (c.inProcess) process.push_back(st.st_gid);
    const std::string text = DiagnoseOpenFailure(EACCES, node, Groups(process, account));
    SCOPED_TRACE(text);
    EXPECT_TRUE(Contains(text, "Permission denied on " + node));
    EXPECT_TRUE(Contains(text, c.expected));
    if (*c.notExpected) {
        EXPECT_FALSE(Contains(text, c.notExpected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PortDoctorPermission,
    ::testing::Values(
        SPermissionCase{"GroupMayReadAndWrite", 0660, false, false, "sudo usermod -aG ", "udevadm"},
        SPermissionCase{"JoinedButNotInThisSession", 0660, true, false, "log out and in again (or run: newgrp ",
                        "usermod"},
        SPermissionCase{"GroupMayOnlyRead", 0640, false, false,
                        "sudo cp /usr/lib/udev/rules.d/70-calyra.rules /etc/udev/rules.d/", "usermod"},
        SPermissionCase{"OwnerOnly", 0600, false, false, "udevadm control --reload", "usermod"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortDoctor, GroupRootIsNeverTheAdvice) {
    CTempTree tree;
    const std::string node = tree.File("ttyACM0", 0660);
    if (chown(node.c_str(), static_cast<uid_t>(-1), 0) != 0) GTEST_SKIP() << "needs root to give a file to group root";
    const std::string text = DiagnoseOpenFailure(EACCES, node, Groups({4242}, {4242}));
    SCOPED_TRACE(text);
    EXPECT_TRUE(Contains(text, "group \"root\""));
    EXPECT_FALSE(Contains(text, "usermod"));
    EXPECT_TRUE(Contains(text, "/etc/udev/rules.d/"));
}

TEST(PortDoctor, BusyPortNamesItsHolder) {
    SPty pty;
    ASSERT_FALSE(pty.path.empty());
    SHolder holder(pty.path);
    ASSERT_TRUE(holder.Ready(pty.path));
    const std::string pid = std::to_string(holder.pid);

    const std::string text = DiagnoseOpenFailure(EBUSY, pty.path);
    EXPECT_TRUE(Contains(text, pty.path + " is busy: it is held by PID " + pid + " (sleep 30).")) << text;
    EXPECT_TRUE(Contains(text, "kill " + pid)) << text;

    // The real open through a COM alias meets the holder's lock and says the same.
    CPortsFolder ports;
    ports.Alias(kTestPort, pty.path);
    CSerial serial;
    ASSERT_FALSE(serial.Open(kTestPort, 115200, 8, 0, 0));
    EXPECT_TRUE(Contains(serial.LastErrorText(), "held by PID " + pid + " (sleep 30)")) << serial.LastErrorText();
}

TEST(PortDoctor, BusyWithoutVisibleHolderSaysHowToFindIt) {
    CTempTree tree;
    const std::string node = tree.File("ttyUSB1", 0660);
    const std::string text = DiagnoseOpenFailure(EBUSY, node);
    EXPECT_TRUE(Contains(text, node + " is busy")) << text;
    EXPECT_TRUE(Contains(text, "sudo fuser -v " + node)) << text;
}

TEST(PortDoctor, ModemManagerOnAUsbModem) {
    CTempTree tree;
    const std::string acm = tree.File("dev/ttyACM0", 0660);
    const std::string usb = tree.File("dev/ttyUSB0", 0660);
    tree.File("proc/1/comm", 0644, "systemd\n");
    SDoctorSystem sys;
    sys.procRoot = tree.path + "/proc";
    sys.udevRules = "/usr/lib/udev/rules.d/70-calyra.rules";
    bool ignored = false;
    sys.modemManagerIgnores = [&](const std::string&) { return ignored; };

    EXPECT_EQ(ModemManagerWarning(acm, sys), "") << "ModemManager does not run";
    tree.File("proc/812/comm", 0644, "ModemManager\n");
    const std::string warning = ModemManagerWarning(acm, sys);
    EXPECT_TRUE(Contains(warning, "ModemManager is running and probes " + acm)) << warning;
    EXPECT_TRUE(Contains(warning, sys.udevRules)) << warning;
    EXPECT_EQ(ModemManagerWarning(usb, sys), "") << "only ttyACM devices are probed by default";
    ignored = true;
    EXPECT_EQ(ModemManagerWarning(acm, sys), "") << "the udev rule is in place";

    ignored = false;
    const std::string advice = EntryFailureAdvice(acm, 9600, sys);
    EXPECT_TRUE(Contains(advice, "did not answer \"+++\"")) << advice;
    EXPECT_TRUE(Contains(advice, "another baud rate than 9600")) << advice;
    EXPECT_TRUE(Contains(advice, "ModemManager is running")) << advice;
}

TEST(PortDoctor, EntryFailureNamesAnotherReader) {
    SPty pty;
    SHolder holder(pty.path);
    ASSERT_TRUE(holder.Ready(pty.path));
    const std::string advice = EntryFailureAdvice(pty.path, 115200);
    EXPECT_TRUE(Contains(advice, "another program reads the port and takes the replies: PID " +
                                     std::to_string(holder.pid) + " (sleep 30)"))
        << advice;
}
