#pragma once

#include <string>
#include <termios.h>

// Line settings in the program's encoding: parity 0 none, 1 odd, 2 even, 3 mark, 4 space;
// stop bits 0 one, 1 one and a half, 2 two.
struct SLineSettings {
    unsigned baudRate = 0;
    int dataBits = 8;
    int parity = 0;
    int stopBits = 0;
};

// Why no serial line can use these settings; "" when they are possible. One and a half stop bits
// exist only with 5 data bits (a UART set to two stop bits sends 1.5 there), so 1.5 needs 5 data
// bits and 2 needs 6 to 8.
std::string LineSettingsProblem(const SLineSettings& line);

// The termios speed constant of a rate, or 0 when termios has none (14400, 56000, ...).
speed_t StandardSpeed(unsigned baudRate);

// Raw mode with the given framing on top of what the driver reported: no echo, no signals, no
// translation, no flow control, receiver on, modem lines ignored (CLOCAL), one byte wakes a
// read. Parity checking is on when parity is used. The speed is set when termios has a constant
// for it; otherwise the caller sets it through the driver's free rate (SetFreeBaudRate).
void ApplyLineSettings(const SLineSettings& line, termios& t);

// The first setting the driver did not keep, read back in t and (rate) in actualBaud; "" when all
// were kept. A free rate may differ by up to 3 % (what a UART link tolerates).
std::string LineSettingsDropped(const SLineSettings& line, const termios& t, unsigned actualBaud);
