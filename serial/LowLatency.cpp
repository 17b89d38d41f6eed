#include "LowLatency.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace {

constexpr int kLowTimerMs = 1;

std::string ReadLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool WriteLine(const std::string& path, const std::string& value) {
    std::ofstream out(path);
    out << value << '\n';
    out.close();
    return !out.fail() && ReadLine(path) == value;
}

std::string DeviceName(const std::string& devicePath) {
    char real[PATH_MAX];
    const std::string path = realpath(devicePath.c_str(), real) ? std::string(real) : devicePath;
    return path.substr(path.rfind('/') + 1);
}

} // namespace

std::string CLowLatency::Enable(int fd, const std::string& devicePath, const std::string& sysClassTty) {
    std::string done;
    // ftdi_sio keeps latency_timer on the usb-serial port, which is the tty's "device".
    const std::string timer = sysClassTty + "/" + DeviceName(devicePath) + "/device/latency_timer";
    const std::string before = ReadLine(timer);
    const int ms = before.empty() ? 0 : std::atoi(before.c_str());
    if (ms > kLowTimerMs && WriteLine(timer, std::to_string(kLowTimerMs))) {
        timerPath = timer;
        oldTimer = before;
        done = "latency timer " + before + " ms -> " + std::to_string(kLowTimerMs) + " ms";
    }
    serial_struct info{};
    if (fd >= 0 && ioctl(fd, TIOCGSERIAL, &info) == 0 && !(info.flags & ASYNC_LOW_LATENCY)) {
        info.flags |= ASYNC_LOW_LATENCY;
        if (ioctl(fd, TIOCSSERIAL, &info) == 0) {
            flagSet = true;
            done += (done.empty() ? "" : ", ") + std::string("ASYNC_LOW_LATENCY");
        }
    }
    return done;
}

void CLowLatency::Restore(int fd) {
    if (!timerPath.empty()) WriteLine(timerPath, oldTimer);
    timerPath.clear();
    serial_struct info{};
    if (flagSet && fd >= 0 && ioctl(fd, TIOCGSERIAL, &info) == 0) {
        info.flags &= ~ASYNC_LOW_LATENCY;
        ioctl(fd, TIOCSSERIAL, &info);
    }
    flagSet = false;
}
