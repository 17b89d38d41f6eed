// Pinning an adapter to a COM number through its /dev/serial/by-id name, against a fake by-id
// folder: the alias names the by-id link, a second pin moves it, a number that another present
// device holds is refused, a device without a by-id name cannot be pinned.
#include "PortAliases.h"
#include "PortPinning.h"
#include "SerialTestSupport.h"

#include <fstream>

namespace {
struct SFakeDev {
    std::string root, byId;
    SFakeDev() {
        char pattern[] = "/tmp/calyra-dev-XXXXXX";
        root = mkdtemp(pattern) ? pattern : "";
        byId = root + "/serial-by-id";
        mkdir(byId.c_str(), 0755);
    }
    ~SFakeDev() { CPortsFolder::RemoveAll(root); }
    std::string Device(const std::string& name, const std::string& idName = "") const {
        const std::string path = root + "/" + name;
        std::ofstream(path).put('\n');
        if (!idName.empty()) {
            EXPECT_EQ(symlink(("../" + name).c_str(), (byId + "/" + idName).c_str()), 0);
        }
        return path;
    }
};
} // namespace

TEST(PortPinning, PinsMovesAndRefuses) {
    SFakeDev dev;
    CPortsFolder ports;
    const std::string adapter = dev.Device("ttyUSB0", "usb-FTDI_FT232R_USB_UART_A10K1-if00-port0");
    const std::string other = dev.Device("ttyUSB1", "usb-Silicon_Labs_CP2102_0001-if00-port0");
    const std::string plain = dev.Device("ttyS0");
    EXPECT_EQ(SerialByIdLink(adapter, dev.byId), dev.byId + "/usb-FTDI_FT232R_USB_UART_A10K1-if00-port0");

    std::string link, error;
    ASSERT_TRUE(PinPort(5, adapter, ports.path, &link, &error, dev.byId)) << error;
    EXPECT_EQ(link, dev.byId + "/usb-FTDI_FT232R_USB_UART_A10K1-if00-port0");
    SPortAlias alias;
    ASSERT_TRUE(ReadPortAlias(ports.path, 5, alias));
    EXPECT_TRUE(alias.live);
    EXPECT_EQ(alias.target, link);

    // Pinned again under 7: the adapter has one number.
    ASSERT_TRUE(PinPort(7, adapter, ports.path, &link, &error, dev.byId)) << error;
    EXPECT_FALSE(ReadPortAlias(ports.path, 5, alias));
    EXPECT_TRUE(ReadPortAlias(ports.path, 7, alias));

    // COM7 is the first adapter's: the second may not take it.
    EXPECT_FALSE(PinPort(7, other, ports.path, &link, &error, dev.byId));
    EXPECT_NE(error.find("COM7 is already the alias of"), std::string::npos) << error;
    ASSERT_TRUE(ReadPortAlias(ports.path, 7, alias));
    EXPECT_EQ(alias.target, dev.byId + "/usb-FTDI_FT232R_USB_UART_A10K1-if00-port0");

    EXPECT_FALSE(PinPort(3, plain, ports.path, &link, &error, dev.byId));
    EXPECT_NE(error.find("has no name in /dev/serial/by-id"), std::string::npos) << error;
    EXPECT_FALSE(PinPort(0, adapter, ports.path, &link, &error, dev.byId));
}
