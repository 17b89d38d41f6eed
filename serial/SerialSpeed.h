#pragma once

// The line rate through the kernel's termios2 interface, which also carries rates that have no
// termios constant (14400, 56000, ...). Kept apart because <asm/termbits.h> clashes with
// <termios.h>.

// Sets a free rate in both directions (BOTHER). Returns 0 or the errno of the refusal.
int SetFreeBaudRate(int fd, unsigned baudRate);
// The output rate the driver holds now. Returns 0 or an errno.
int ReadBaudRate(int fd, unsigned& baudRate);
