#pragma once

#include <chrono>
#include <string>

// Figures of a firmware transfer: image bytes sent, their rate, that rate as a share of what the
// line can carry at its baud rate, and the time left. Every block costs a 71-byte frame out and
// the boot loader's 6-byte reply back for 64 image bytes, so the line-rate limit in image bytes
// per second is baud / bitsPerChar * 64 / 77.
class CTransferTelemetry {
  public:
    using Clock = std::chrono::steady_clock;

    // bitsPerChar: start bit, data bits, parity bit and stop bits of the line's settings.
    void Start(long imageBytes, unsigned baud, double bitsPerChar, Clock::time_point now);
    // One more block acknowledged (its image bytes, the last one's filler not counted).
    void BlockDone(Clock::time_point now);

    long Sent() const { return sent; }
    long Total() const { return total; }
    double Seconds() const;
    double BytesPerSecond() const;
    double LimitBytesPerSecond() const;
    double PercentOfLimit() const;
    double SecondsLeft() const; // 0 when nothing is known yet or everything is sent

    // "n of m bytes, r bytes/s, p % of the line-rate limit at b baud, t left" (progress and log).
    std::string ProgressText() const;
    // The totals at the end of the transfer.
    std::string TotalsText() const;
    // A log line is due when the transfer has crossed another tenth of the image.
    bool TenthCrossed();

  private:
    long total = 0, sent = 0;
    unsigned baud = 0;
    double bitsPerChar = 10;
    Clock::time_point started{}, last{};
    int tenthsLogged = 0;
};

// Bits on the line per character: start bit, data bits, parity (codes 1..4) and stop bits
// (0 one, 1 one and a half, 2 two), as CSerial takes them.
double BitsPerChar(int dataBits, int parity, int stopBits);
// "m:ss" of a duration in seconds (rounded up, so a last second never shows 0:00).
std::string MinutesSeconds(double seconds);
