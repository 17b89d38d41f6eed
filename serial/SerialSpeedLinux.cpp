#include "SerialSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

// <sys/ioctl.h> would pull in glibc's termios types next to the kernel's.
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

int SetFreeBaudRate(int fd, unsigned baudRate) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baudRate;
    t.c_ospeed = baudRate;
    return ioctl(fd, TCSETS2, &t) == 0 ? 0 : errno;
}

int ReadBaudRate(int fd, unsigned& baudRate) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    baudRate = t.c_ospeed;
    return 0;
}
