// Low latency against a fake sysfs tree: the adapter's latency timer is lowered while the port
// is open and put back at close; a driver without a timer, or one at 1 ms, is left alone.
#include "LowLatency.h"
#include "SerialTestSupport.h"

#include <fstream>

namespace {
struct SFakeSys {
    std::string root;
    SFakeSys() {
        char pattern[] = "/tmp/calyra-sys-XXXXXX";
        root = mkdtemp(pattern) ? pattern : "";
    }
    ~SFakeSys() { CPortsFolder::RemoveAll(root); }
    // class/tty/<name>/device/latency_timer with value ("" : no timer file).
    void Tty(const std::string& name, const std::string& value) const {
        const std::string device = root + "/" + name + "/device";
        mkdir((root + "/" + name).c_str(), 0755);
        mkdir(device.c_str(), 0755);
        if (!value.empty()) std::ofstream(device + "/latency_timer") << value << "\n";
    }
    std::string Timer(const std::string& name) const {
        std::ifstream in(root + "/" + name + "/device/latency_timer");
        std::string line;
        std::getline(in, line);
        return line;
    }
};
} // namespace

struct SLatencyCase {
    const char* name;
    const char* timer;    // "" : the driver has none
    const char* note;     // what Enable reports
    const char* duringOpen;
};

class LowLatency : public ::testing::TestWithParam<SLatencyCase> {};

TEST_P(LowLatency, TimerLoweredAndRestored) {
    const SLatencyCase& c = GetParam();
    SFakeSys sys;
    sys.Tty("ttyUSB9", c.timer);
    CLowLatency low;
    // No descriptor: only the sysfs side is under test here (a pty has no ASYNC flags).
    EXPECT_EQ(low.Enable(-1, "/dev/ttyUSB9", sys.root), c.note);
    EXPECT_EQ(sys.Timer("ttyUSB9"), c.duringOpen);
    low.Restore(-1);
    EXPECT_EQ(sys.Timer("ttyUSB9"), c.timer);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, LowLatency,
    ::testing::Values(SLatencyCase{"FtdiDefault", "16", "latency timer 16 ms -> 1 ms", "1"},
                      SLatencyCase{"AlreadyLow", "1", "", "1"},
                      SLatencyCase{"NoTimer", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LowLatencyPort, PseudoTerminalOpensQuietly) {
    // A pty refuses TIOCGSERIAL: the open goes on and nothing is reported.
    SPty pty;
    CPortsFolder ports;
    ports.Alias(kTestPort, pty.path);
    CSerial serial;
    ASSERT_TRUE(serial.Open(kTestPort, 115200, 8, 0, 0)) << serial.LastErrorText();
    EXPECT_EQ(serial.LowLatencyNote(), "");
    serial.Close();
}
