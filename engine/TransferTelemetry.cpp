#include "TransferTelemetry.h"

#include "TextUtil.h"
#include "Texts.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kImageBytesPerBlock = 64;
constexpr int kLineBytesPerBlock = 71 + 6; // block frame out, boot loader reply back
} // namespace

double BitsPerChar(int dataBits, int parity, int stopBits) {
    const double stop = stopBits == 1 ? 1.5 : stopBits == 2 ? 2.0 : 1.0;
    return 1 + dataBits + (parity >= 1 && parity <= 4 ? 1 : 0) + stop;
}

std::string MinutesSeconds(double seconds) {
    const long s = static_cast<long>(std::ceil(std::max(0.0, seconds)));
    return Format("%ld:%02ld", s / 60, s % 60);
}

void CTransferTelemetry::Start(long imageBytes, unsigned lineBaud, double bits, Clock::time_point now) {
    total = imageBytes;
    sent = 0;
    baud = lineBaud;
    bitsPerChar = bits > 0 ? bits : 10;
    started = last = now;
    tenthsLogged = 0;
}

void CTransferTelemetry::BlockDone(Clock::time_point now) {
    sent = std::min(total, sent + kImageBytesPerBlock);
    last = now;
}

double CTransferTelemetry::Seconds() const {
    return std::chrono::duration<double>(last - started).count();
}

double CTransferTelemetry::BytesPerSecond() const {
    const double s = Seconds();
    return s > 0 ? sent / s : 0;
}

double CTransferTelemetry::LimitBytesPerSecond() const {
    return baud / bitsPerChar * kImageBytesPerBlock / kLineBytesPerBlock;
}

double CTransferTelemetry::PercentOfLimit() const {
    const double limit = LimitBytesPerSecond();
    return limit > 0 ? 100.0 * BytesPerSecond() / limit : 0;
}

double CTransferTelemetry::SecondsLeft() const {
    const double rate = BytesPerSecond();
    return rate > 0 ? (total - sent) / rate : 0;
}

std::string CTransferTelemetry::ProgressText() const {
    return TextPrintf(TXT_TRANSFER_PROGRESS, sent, total, BytesPerSecond(), PercentOfLimit(), baud,
                  MinutesSeconds(SecondsLeft()).c_str());
}

std::string CTransferTelemetry::TotalsText() const {
    return TextPrintf(TXT_TRANSFER_TOTALS, sent, Seconds(), BytesPerSecond(), PercentOfLimit(), baud,
                  LimitBytesPerSecond());
}

bool CTransferTelemetry::TenthCrossed() {
    if (total <= 0) return false;
    const int tenths = static_cast<int>(sent * 10 / total);
    if (tenths <= tenthsLogged) return false;
    tenthsLogged = tenths;
    return true;
}
