#pragma once

#include <string>

// Low latency on USB serial adapters. An FTDI-style adapter holds short replies for up to its
// latency timer (16 ms by default) before it hands them to the host, which with one command in
// flight caps a firmware download at a fraction of the line rate. While a port is open the
// driver is asked for low latency: the adapter's latency timer (sysfs) at 1 ms, and the tty's
// ASYNC_LOW_LATENCY flag. Both are put back at close. A driver that has neither, or refuses,
// is left as it is without a word (pseudo-terminals, on-board UARTs, files root cannot write).
class CLowLatency {
  public:
    // sysClassTty is /sys/class/tty; tests give a fake tree. Returns what was changed, for the
    // log ("latency timer 16 ms -> 1 ms, ASYNC_LOW_LATENCY"), "" when nothing was.
    std::string Enable(int fd, const std::string& devicePath, const std::string& sysClassTty = "/sys/class/tty");
    // Puts back what Enable changed (fd may be -1 when only the timer was changed).
    void Restore(int fd);

  private:
    std::string timerPath; // the latency timer that was lowered, "" when none
    std::string oldTimer;  // its value before
    bool flagSet = false;  // ASYNC_LOW_LATENCY was set by Enable
};
