#include "MessageNumbers.h"
#include "Serial.h"
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

int CountEntries(const char* folder) {
    int n = 0;
    if (DIR* d = opendir(folder)) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

// A port on a pseudo-terminal reached through the alias COM200.
class SerialPort : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.path.empty());
        folder.Alias(kTestPort, pty.path);
        serial.SetOwner(&owner);
    }
    void OpenPort() { ASSERT_TRUE(serial.Open(kTestPort, 115200, 8, 0, 0)) << serial.LastErrorText(); }

    SPty pty;
    CPortsFolder folder;
    CRecordingOwner owner;
    CSerial serial;
};

TEST_F(SerialPort, InputArrivesThroughTheNotificationAndOutputReachesTheLine) {
    std::string received;
    owner.onNotify = [&](int message) {
        if (message != WM_COMM_RXCHAR) return;
        char buffer[64];
        const int n = serial.Read(buffer, sizeof buffer, 50);
        if (n > 0) received.append(buffer, size_t(n));
    };
    OpenPort();
    EXPECT_EQ(serial.DevicePath(), pty.path);
    pty.Send("OK\r\n");
    ASSERT_TRUE(owner.WaitFor(WM_COMM_RXCHAR));
    serial.Close(); // joins the event thread: received is settled
    EXPECT_EQ(received, "OK\r\n");

    OpenPort();
    EXPECT_EQ(serial.Write("AT+PID?\r\n", 9), 9);
    EXPECT_EQ(pty.Receive(9), "AT+PID?\r\n");
    EXPECT_TRUE(owner.WaitFor(WM_COMM_TXEMPTY));
}

// The window thread reads on a notification; when a purge took the bytes meanwhile, the read
// returns at once instead of blocking the window for its time-out.
TEST_F(SerialPort, ReadReturnsAtOnceWhenNothingIsQueued) {
    char buffer[16];
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 30), 0) << "not open";
    OpenPort();
    const auto start = Clock::now();
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 400), 0);
    EXPECT_LT(MsSince(start), 200);
    pty.Send("xyz");
    ASSERT_TRUE(owner.WaitFor(WM_COMM_RXCHAR));
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 400), 3);
}

TEST_F(SerialPort, PurgeDiscardsUnreadInputAndPurgeAndWriteStillWrites) {
    OpenPort(); // the owner does not read
    pty.Send("stale");
    ASSERT_TRUE(owner.WaitFor(WM_COMM_RXCHAR));
    EXPECT_TRUE(serial.Purge(PURGE_RXABORT | PURGE_RXCLEAR));
    char buffer[16];
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 20), 0);

    pty.Send("late reply");
    ASSERT_TRUE(owner.WaitFor(WM_COMM_RXCHAR, 2));
    EXPECT_EQ(serial.PurgeAndWrite("+++", 3), 3);
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 20), 0) << "input before the write is gone";
    EXPECT_EQ(pty.Receive(3), "+++");

    serial.Close();
    EXPECT_FALSE(serial.Purge(PURGE_RXCLEAR));
    EXPECT_EQ(serial.Write("x", 1), 0);
    EXPECT_EQ(serial.PurgeAndWrite("x", 1), 0);
}

TEST_F(SerialPort, UnreadInputIsNotifiedOncePerArrivalNotInALoop) {
    OpenPort(); // the owner ignores input, as the engine does while it closes
    pty.Send("a");
    ASSERT_TRUE(owner.WaitFor(WM_COMM_RXCHAR));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(owner.Count(WM_COMM_RXCHAR), 1);
    pty.Send("b"); // more bytes: the owner hears again
    EXPECT_TRUE(owner.WaitFor(WM_COMM_RXCHAR, 2));
    char buffer[8];
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 50), 2);
    pty.Send("c");
    EXPECT_TRUE(owner.WaitFor(WM_COMM_RXCHAR, 3));
}

TEST_F(SerialPort, RxThresholdHoldsTheNotificationUntilEnoughBytesWait) {
    serial.SetRxThreshold(4);
    OpenPort();
    pty.Send("ab");
    EXPECT_FALSE(owner.WaitFor(WM_COMM_RXCHAR, 1, 80));
    pty.Send("cd");
    EXPECT_TRUE(owner.WaitFor(WM_COMM_RXCHAR));
}

TEST_F(SerialPort, SecondOpenOfTheObjectFailsAndKeepsTheFirstConnection) {
    OpenPort();
    EXPECT_FALSE(serial.Open(kTestPort, 9600, 8, 0, 0));
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_EQ(serial.Write("ok", 2), 2);
    EXPECT_EQ(pty.Receive(2), "ok");
}

TEST_F(SerialPort, APortHeldByAnotherIsBusy) {
    OpenPort();
    CSerial second;
    EXPECT_FALSE(second.Open(kTestPort, 115200, 8, 0, 0));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(second.LastError() == EWOULDBLOCK || second.LastError() == EBUSY);
    EXPECT_EQ(second.LastErrorText(), pty.path + " is busy: another program holds it.");
    int exclusive = 0;
    ASSERT_EQ(ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "the refused open left the holder's exclusive mode alone";
    second.Close(); // what the window does after a failed open: harmless
    EXPECT_EQ(serial.Write("still", 5), 5);
    EXPECT_EQ(pty.Receive(5), "still");
    serial.Close();
    EXPECT_TRUE(second.Open(kTestPort, 115200, 8, 0, 0)) << "free again after Close";
}

TEST_F(SerialPort, APortInExclusiveUseWithoutALockIsBusyToo) {
    ASSERT_EQ(ioctl(pty.slave, TIOCEXCL), 0); // a program that does not lock
    EXPECT_FALSE(serial.Open(kTestPort, 115200, 8, 0, 0));
    EXPECT_EQ(serial.LastError(), EBUSY);
    EXPECT_EQ(serial.LastErrorText(), pty.path + " is busy: another program holds it.");
    ioctl(pty.slave, TIOCNXCL);
    OpenPort();
}

TEST_F(SerialPort, HangUpIsReportedOnceAndCloseReturnsPromptly) {
    OpenPort();
    pty.CloseMaster();
    ASSERT_TRUE(owner.WaitFor(WM_COMM_GONE));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(owner.Count(WM_COMM_GONE), 1);
    EXPECT_TRUE(serial.IsOpen()) << "open until the owner closes it";
    char buffer[8];
    EXPECT_EQ(serial.Read(buffer, sizeof buffer, 20), -1);
    EXPECT_EQ(serial.Write("x", 1), -1);
    const auto start = Clock::now();
    serial.Close();
    EXPECT_LT(MsSince(start), 500);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(owner.Count(WM_COMM_GONE), 1);
}

TEST_F(SerialPort, CloseFromInsideANotificationDoesNotDeadlock) {
    owner.onNotify = [&](int message) {
        if (message == WM_COMM_RXCHAR) serial.Close();
    };
    OpenPort();
    pty.Send("bye");
    ASSERT_TRUE(owner.WaitFor(WM_COMM_RXCHAR));
    EXPECT_FALSE(serial.IsOpen());
    owner.onNotify = nullptr; // set while no event thread runs: Open joins the old one first
    OpenPort();
    pty.Send("again");
    EXPECT_TRUE(owner.WaitFor(WM_COMM_RXCHAR, 2));
}

TEST_F(SerialPort, OpenCloseCyclesLeaveNoThreadOrDescriptorBehind) {
    OpenPort();
    serial.Close();
    const int threads = CountEntries("/proc/self/task");
    const int fds = CountEntries("/proc/self/fd");
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(serial.Open(kTestPort, 115200, 8, 0, 0)) << serial.LastErrorText();
        if (i % 50 == 0) pty.Send("x");
        serial.Close();
        serial.Close(); // twice is harmless
    }
    EXPECT_EQ(CountEntries("/proc/self/task"), threads);
    EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
}

// Open failures and the operator's text for each.
struct SExpectedFailure {
    std::string device; // shown in the text and by DevicePath
    std::string text;
};

struct SOpenFailure {
    const char* name;
    unsigned port;
    std::function<SExpectedFailure(const CPortsFolder&)> prepare; // device "" : skip the case
    int err;                                                      // 0: refused before the system was asked
};

void PrintTo(const SOpenFailure& c, std::ostream* os) {
    *os << c.name;
}

class SerialOpenFailure : public ::testing::TestWithParam<SOpenFailure> {};

TEST_P(SerialOpenFailure, IsRefusedWithATextTheOperatorCanActOn) {
    const SOpenFailure& c = GetParam();
    CPortsFolder folder;
    const SExpectedFailure expected = c.prepare(folder);
    if (expected.device.empty()) GTEST_SKIP() << "running as root: permission bits do not stop root";
    CSerial serial;
    EXPECT_FALSE(serial.Open(c.port, 115200, 8, 0, 0));
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(serial.LastError(), c.err);
    EXPECT_EQ(serial.LastErrorText(), expected.text);
    EXPECT_EQ(serial.DevicePath(), expected.device);
}

std::string WriteFile(const std::string& path, mode_t mode) {
    std::ofstream(path) << "not a port";
    chmod(path.c_str(), mode);
    return path;
}

SExpectedFailure NoDevice(const std::string& device) {
    return {device, "No such device: " + device};
}

INSTANTIATE_TEST_SUITE_P(
    Table, SerialOpenFailure,
    ::testing::Values(SOpenFailure{"PortZero", 0, [](const CPortsFolder&) { return NoDevice("COM0"); }, 0},
                      SOpenFailure{"Port1025", 1025, [](const CPortsFolder&) { return NoDevice("COM1025"); },
                                   0},
                      SOpenFailure{"MissingDevice", 64,
                                   [](const CPortsFolder&) { return NoDevice("/dev/ttyUSB31"); }, ENOENT},
                      SOpenFailure{"DanglingAliasFallsBackToTheFixedDevice", 64,
                                   [](const CPortsFolder& f) {
                                       f.Alias(64, "/dev/pts/no-such-terminal");
                                       return NoDevice("/dev/ttyUSB31");
                                   },
                                   ENOENT},
                      SOpenFailure{"NotATerminal", kTestPort,
                                   [](const CPortsFolder& f) {
                                       const std::string file = WriteFile(f.path + "/plain-file", 0600);
                                       f.Alias(kTestPort, file);
                                       return SExpectedFailure{file, file + ": not a serial device"};
                                   },
                                   ENOTTY},
                      SOpenFailure{"PermissionDeniedNamesTheGroup", kTestPort,
                                   [](const CPortsFolder& f) {
                                       if (geteuid() == 0) return SExpectedFailure{};
                                       const std::string file = WriteFile(f.path + "/locked", 0000);
                                       f.Alias(kTestPort, file);
                                       const group* g = getgrgid(getegid());
                                       return SExpectedFailure{file, "Permission denied on " + file +
                                                                         ": join the group \"" +
                                                                         std::string(g ? g->gr_name : "") +
                                                                         "\" and log in again."};
                                   },
                                   EACCES}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
