#include "PortEnum.h"
#include "PortNames.h"
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

struct SDeviceRule {
    const char* device;
    unsigned number; // 0: no number
};

class DeviceNumbering : public ::testing::TestWithParam<SDeviceRule> {};

TEST_P(DeviceNumbering, FollowsTheFixedRulesBothWays) {
    const SDeviceRule& c = GetParam();
    EXPECT_EQ(PortNumberOfDevice(c.device), c.number);
    if (c.number) {
        EXPECT_EQ(DeviceNameOfPort(c.number), c.device);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceNumbering,
    ::testing::Values(SDeviceRule{"ttyS0", 1}, SDeviceRule{"ttyS31", 32}, SDeviceRule{"ttyS32", 0},
                      SDeviceRule{"ttyUSB0", 33}, SDeviceRule{"ttyUSB31", 64}, SDeviceRule{"ttyUSB32", 0},
                      SDeviceRule{"ttyACM0", 65}, SDeviceRule{"ttyACM959", 1024}, SDeviceRule{"ttyACM960", 0},
                      SDeviceRule{"ttyS01", 0}, SDeviceRule{"ttyS", 0}, SDeviceRule{"ttyS-1", 0},
                      SDeviceRule{"ttySAC0", 0}, SDeviceRule{"ttyAMA0", 0}, SDeviceRule{"tty1", 0},
                      SDeviceRule{"ttyUSB99999999999", 0}, SDeviceRule{"pts/3", 0}));

TEST(PortNames, NumbersOutsideTheRangeHaveNoDevice) {
    EXPECT_EQ(DeviceNameOfPort(0), "");
    EXPECT_EQ(DeviceNameOfPort(1025), "");
}

TEST(PortNames, OnlyExactComNamesCarryANumber) {
    const struct {
        const char* name;
        unsigned number;
    } cases[] = {{"COM1", 1},  {"COM1024", 1024},     {"COM0", 0}, {"COM1025", 0},
                 {"COM01", 0}, {"com5", 0},           {"COM", 0},  {"COM5x", 0},
                 {"COM 5", 0}, {"COM99999999999", 0}, {"XCOM5", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(PortNumberOfName(c.name), c.number) << c.name;
    EXPECT_EQ(PortNameOf(34), "COM34");
}

TEST(PortNames, ListNameIsTheFriendlyNameAfterItsDescription) {
    const struct {
        const char* friendly;
        const char* description;
        const char* list;
    } cases[] = {
        {"USB serial adapter [/dev/ttyUSB0] (COM33)", "USB serial adapter [/dev/ttyUSB0]", "COM33"},
        {"Pseudo-terminal [/dev/pts/3] (COM200)", "Pseudo-terminal [/dev/pts/3]", "COM200"},
        {"COM3", "", "COM3"},
        {"COM3", "COM3", ""},
        {"Short", "A longer description", ""},
    };
    for (const auto& c : cases) {
        SSerInfo info;
        info.friendlyName = c.friendly;
        info.description = c.description;
        EXPECT_EQ(ListName(info), c.list) << c.friendly;
    }
}

TEST(PortNames, ResolveUsesALiveAliasBeforeTheFixedRule) {
    CPortsFolder folder;
    SPty pty;
    EXPECT_EQ(ResolvePortPath(1), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortPath(33), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortPath(65), "/dev/ttyACM0");
    EXPECT_EQ(ResolvePortPath(0), "");
    EXPECT_EQ(ResolvePortPath(1025), "");

    folder.Alias(33, pty.path);
    EXPECT_EQ(ResolvePortPath(33), pty.path);
    folder.Alias(34, "/dev/pts/no-such-terminal");
    EXPECT_EQ(ResolvePortPath(34), "/dev/ttyUSB1") << "a dangling alias does not count";
    folder.Alias(35, "../" + folder.path.substr(folder.path.rfind('/') + 1) + "/COM33");
    EXPECT_EQ(ResolvePortPath(35),
              folder.path + "/../" + folder.path.substr(folder.path.rfind('/') + 1) + "/COM33")
        << "a relative target is taken from the folder";
}

// Sets or unsets environment variables for one scope and restores them after.
class CEnvironment {
  public:
    void Set(const char* name, const char* value) {
        if (!saved.count(name)) {
            const char* old = std::getenv(name);
            saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~CEnvironment() {
        for (const auto& [name, value] : saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

  private:
    std::map<std::string, std::optional<std::string>> saved;
};

TEST(PortNames, PortsFolderComesFromTheEnvironment) {
    CEnvironment env;
    env.Set("HOME", "/home/op");
    env.Set("CALYRA_PORTS_DIR", "/tmp/aliases");
    env.Set("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(PortsFolder(), "/tmp/aliases");
    env.Set("CALYRA_PORTS_DIR", "");
    EXPECT_EQ(PortsFolder(), "/cfg/calyra/ports");
    env.Set("CALYRA_PORTS_DIR", nullptr);
    env.Set("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(PortsFolder(), "/home/op/.config/calyra/ports") << "a relative XDG_CONFIG_HOME is ignored";
    env.Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(PortsFolder(), "/home/op/.config/calyra/ports");
}

} // namespace
