#include "Serial.h"
#include "SerialLine.h"
#include "SerialSpeed.h"
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <termios.h>

namespace {

// ---- The framing a real UART gets (a pseudo-terminal keeps only 8 data bits without parity) ----

struct SFraming {
    int dataBits, parity, stopBits;
    tcflag_t size;
    tcflag_t parityFlags; // of PARENB | PARODD | CMSPAR
    bool cstopb;
};

class LineFraming : public ::testing::TestWithParam<SFraming> {};

TEST_P(LineFraming, MapsOntoTermiosInRawMode) {
    const SFraming& c = GetParam();
    termios t{};
    t.c_iflag = ICRNL | IXON | IXOFF | ISTRIP | IGNPAR;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    t.c_cflag = CRTSCTS | HUPCL;
    const SLineSettings line{9600, c.dataBits, c.parity, c.stopBits};
    ASSERT_EQ(LineSettingsProblem(line), "");
    ApplyLineSettings(line, t);
    EXPECT_EQ(t.c_cflag & CSIZE, c.size);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags);
    EXPECT_EQ(bool(t.c_cflag & CSTOPB), c.cstopb);
    EXPECT_EQ(bool(t.c_iflag & INPCK), c.parity != 0) << "parity errors are checked only with parity";
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP | IGNPAR), 0u) << "bytes pass untouched";
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | CRTSCTS | HUPCL), tcflag_t(CLOCAL | CREAD | HUPCL));
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(LineSettingsDropped(line, t, 9600), "") << "read back unchanged: all kept";
}

INSTANTIATE_TEST_SUITE_P(Table, LineFraming,
                         ::testing::Values(SFraming{8, 0, 0, CS8, 0, false},
                                           SFraming{7, 1, 0, CS7, PARENB | PARODD, false},
                                           SFraming{7, 2, 2, CS7, PARENB, true},
                                           SFraming{8, 3, 0, CS8, PARENB | PARODD | CMSPAR, false},
                                           SFraming{8, 4, 2, CS8, PARENB | CMSPAR, true},
                                           SFraming{6, 0, 2, CS6, 0, true}, SFraming{5, 0, 0, CS5, 0, false},
                                           SFraming{5, 2, 1, CS5, PARENB, true}));

TEST(LineSettings, ImpossibleSettingsAreNamed) {
    const struct {
        SLineSettings line;
        const char* problem;
    } cases[] = {
        {{0, 8, 0, 0}, "baud rate 0 is not possible"},
        {{9600, 4, 0, 0}, "4 data bits are not possible"},
        {{9600, 9, 0, 0}, "9 data bits are not possible"},
        {{9600, 8, 5, 0}, "parity 5 is not known"},
        {{9600, 8, 0, 3}, "stop bits 3 are not known"},
        {{9600, 8, 0, 1}, "1.5 stop bits need 5 data bits"},
        {{9600, 5, 0, 2}, "2 stop bits need 6 to 8 data bits (5 data bits give 1.5)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineSettingsProblem(c.line), c.problem);
}

TEST(LineSettings, ADriverThatDropsASettingIsCaught) {
    const SLineSettings line{56000, 7, 2, 0};
    termios t{};
    ApplyLineSettings(line, t);
    EXPECT_EQ(LineSettingsDropped(line, t, 56000), "");
    EXPECT_EQ(LineSettingsDropped(line, t, 57600), "") << "a free rate within 3 %";
    EXPECT_EQ(LineSettingsDropped(line, t, 60000), "baud rate 56000 is not supported by the driver");
    termios noParity = t;
    noParity.c_cflag &= ~tcflag_t(PARENB);
    EXPECT_EQ(LineSettingsDropped(line, noParity, 56000), "even parity is not supported by the driver");
    termios eight = t;
    eight.c_cflag = (eight.c_cflag & ~tcflag_t(CSIZE)) | CS8;
    EXPECT_EQ(LineSettingsDropped(line, eight, 56000), "7 data bits are not supported by the driver");
    const SLineSettings standard{9600, 8, 0, 0};
    ApplyLineSettings(standard, t);
    EXPECT_EQ(LineSettingsDropped(standard, t, 9601), "baud rate 9600 is not supported by the driver");
}

// ---- What a port on a pseudo-terminal applies or refuses ----

struct SPortSetting {
    unsigned baud;
    int dataBits, parity, stopBits;
    const char* refusal; // "" when the setting applies
};

class PortSettings : public ::testing::TestWithParam<SPortSetting> {};

TEST_P(PortSettings, ApplyOrAreRefusedWithAText) {
    const SPortSetting& c = GetParam();
    SPty pty;
    CPortsFolder folder;
    folder.Alias(kTestPort, pty.path);
    CSerial serial;
    const bool opened = serial.Open(kTestPort, c.baud, c.dataBits, c.parity, c.stopBits);
    if (*c.refusal) {
        EXPECT_FALSE(opened);
        EXPECT_FALSE(serial.IsOpen());
        EXPECT_EQ(serial.LastError(), EINVAL);
        EXPECT_EQ(serial.LastErrorText(), pty.path + ": " + c.refusal);
        return;
    }
    ASSERT_TRUE(opened) << serial.LastErrorText();
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    unsigned baud = 0;
    ASSERT_EQ(ReadBaudRate(pty.slave, baud), 0);
    EXPECT_EQ(baud, c.baud);
    if (const speed_t code = StandardSpeed(c.baud)) {
        EXPECT_EQ(cfgetospeed(&t), code);
    }
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(bool(t.c_cflag & CSTOPB), c.stopBits == 2);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

    // Configure on the open port: a rate without a termios constant and back.
    EXPECT_TRUE(serial.Configure(14400, 8, 0, 0)) << serial.LastErrorText();
    ASSERT_EQ(ReadBaudRate(pty.slave, baud), 0);
    EXPECT_EQ(baud, 14400u);
    EXPECT_FALSE(serial.Configure(9600, 8, 9, 0));
    EXPECT_TRUE(serial.IsOpen()) << "a refused Configure keeps the port";
}

INSTANTIATE_TEST_SUITE_P(Baud, PortSettings,
                         ::testing::Values(SPortSetting{300, 8, 0, 0, ""}, SPortSetting{600, 8, 0, 0, ""},
                                           SPortSetting{1200, 8, 0, 0, ""}, SPortSetting{2400, 8, 0, 0, ""},
                                           SPortSetting{4800, 8, 0, 0, ""}, SPortSetting{9600, 8, 0, 0, ""},
                                           SPortSetting{14400, 8, 0, 0, ""}, SPortSetting{19200, 8, 0, 0, ""},
                                           SPortSetting{38400, 8, 0, 0, ""}, SPortSetting{56000, 8, 0, 0, ""},
                                           SPortSetting{57600, 8, 0, 0, ""},
                                           SPortSetting{115200, 8, 0, 0, ""}),
                         [](const auto& info) { return std::to_string(info.param.baud); });

INSTANTIATE_TEST_SUITE_P(
    Framing, PortSettings,
    ::testing::Values(SPortSetting{115200, 8, 0, 2, ""},
                      SPortSetting{115200, 7, 0, 0, "7 data bits are not supported by the driver"},
                      SPortSetting{115200, 5, 0, 1, "5 data bits are not supported by the driver"},
                      SPortSetting{115200, 8, 1, 0, "odd parity is not supported by the driver"},
                      SPortSetting{115200, 8, 2, 0, "even parity is not supported by the driver"},
                      SPortSetting{115200, 8, 3, 0, "mark parity is not supported by the driver"},
                      SPortSetting{115200, 8, 4, 0, "space parity is not supported by the driver"},
                      SPortSetting{115200, 8, 0, 1, "1.5 stop bits need 5 data bits"},
                      SPortSetting{115200, 5, 0, 2,
                                   "2 stop bits need 6 to 8 data bits (5 data bits give 1.5)"},
                      SPortSetting{115200, 9, 0, 0, "9 data bits are not possible"},
                      SPortSetting{0, 8, 0, 0, "baud rate 0 is not possible"}),
    [](const auto& info) {
        return std::to_string(info.param.dataBits) + "_" + std::to_string(info.param.parity) + "_" +
               std::to_string(info.param.stopBits) + "_" + std::to_string(info.param.baud);
    });

} // namespace
