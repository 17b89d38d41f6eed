#include "SerialLine.h"

#include <cstdlib>

namespace {

struct SSpeed {
    unsigned rate;
    speed_t code;
};

constexpr SSpeed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

constexpr const char* kParityNames[] = {"no", "odd", "even", "mark", "space"};
constexpr const char* kStopNames[] = {"1", "1.5", "2"};

tcflag_t SizeFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(int parity) {
    switch (parity) {
    case 1:
        return PARENB | PARODD;
    case 2:
        return PARENB;
    case 3:
        return PARENB | CMSPAR | PARODD; // stick parity: odd with CMSPAR sends 1
    case 4:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

} // namespace

std::string LineSettingsProblem(const SLineSettings& line) {
    if (line.baudRate == 0) return "baud rate 0 is not possible";
    if (line.dataBits < 5 || line.dataBits > 8)
        return std::to_string(line.dataBits) + " data bits are not possible";
    if (line.parity < 0 || line.parity > 4) return "parity " + std::to_string(line.parity) + " is not known";
    if (line.stopBits < 0 || line.stopBits > 2)
        return "stop bits " + std::to_string(line.stopBits) + " are not known";
    if (line.stopBits == 1 && line.dataBits != 5) return "1.5 stop bits need 5 data bits";
    if (line.stopBits == 2 && line.dataBits == 5)
        return "2 stop bits need 6 to 8 data bits (5 data bits give 1.5)";
    return {};
}

speed_t StandardSpeed(unsigned baudRate) {
    for (const SSpeed& s : kSpeeds)
        if (s.rate == baudRate) return s.code;
    return 0;
}

void ApplyLineSettings(const SLineSettings& line, termios& t) {
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                           IGNPAR | INPCK | IUCLC | IMAXBEL);
    if (line.parity != 0) t.c_iflag |= INPCK;
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | SizeFlag(line.dataBits) | ParityFlags(line.parity);
    if (line.stopBits != 0) t.c_cflag |= CSTOPB;
    // With O_NONBLOCK a read returns at once either way; VMIN 1 keeps a read of an empty queue an
    // EAGAIN, so that a read of 0 bytes means the line hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (const speed_t code = StandardSpeed(line.baudRate)) cfsetspeed(&t, code);
}

std::string LineSettingsDropped(const SLineSettings& line, const termios& t, unsigned actualBaud) {
    if ((t.c_cflag & CSIZE) != SizeFlag(line.dataBits))
        return std::to_string(line.dataBits) + " data bits are not supported by the driver";
    const tcflag_t parityMask = line.parity >= 3 ? (PARENB | PARODD | CMSPAR) : (PARENB | PARODD);
    if ((t.c_cflag & parityMask) != (ParityFlags(line.parity) & parityMask))
        return std::string(kParityNames[line.parity]) + " parity is not supported by the driver";
    if (bool(t.c_cflag & CSTOPB) != (line.stopBits != 0))
        return std::string(kStopNames[line.stopBits]) + " stop bits are not supported by the driver";
    const long diff = std::labs(long(actualBaud) - long(line.baudRate));
    const bool exact = StandardSpeed(line.baudRate) != 0;
    if (exact ? diff != 0 : diff * 100 > long(line.baudRate) * 3)
        return "baud rate " + std::to_string(line.baudRate) + " is not supported by the driver";
    return {};
}
