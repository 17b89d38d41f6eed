#include "SimFrame.h"

#include <algorithm>

namespace {
constexpr uint8_t kStart = 0xFE;

uint8_t Xor(const uint8_t* p, size_t n) {
    uint8_t x = 0;
    for (size_t i = 0; i < n; ++i)
        x ^= p[i];
    return x;
}
} // namespace

Bytes BuildSimFrame(uint16_t command, const Bytes& payload) {
    size_t n = std::min(payload.size(), kSimMaxPayload);
    Bytes f;
    f.reserve(n + 5);
    f.push_back(kStart);
    f.push_back(static_cast<uint8_t>(n));
    f.push_back(static_cast<uint8_t>(command & 0xFF));
    f.push_back(static_cast<uint8_t>(command >> 8));
    f.insert(f.end(), payload.begin(), payload.begin() + static_cast<long>(n));
    f.push_back(Xor(f.data() + 1, f.size() - 1));
    return f;
}

CFrameCutter::EEvent CFrameCutter::Next(SSimFrame& frame, std::string& stray) {
    if (buffer.empty()) return CUT_NONE;
    if (buffer[0] != kStart) {
        auto start = std::find(buffer.begin(), buffer.end(), kStart);
        stray.assign(buffer.begin(), start);
        buffer.erase(buffer.begin(), start);
        return CUT_STRAY;
    }
    if (buffer.size() < 2) return CUT_NONE;
    size_t len = buffer[1];
    if (len > kSimMaxPayload) {
        buffer.erase(buffer.begin());
        return CUT_BAD;
    }
    if (buffer.size() < len + 5) return CUT_NONE;
    if (Xor(buffer.data() + 1, len + 3) != buffer[len + 4]) {
        buffer.erase(buffer.begin());
        return CUT_BAD;
    }
    frame.command = static_cast<uint16_t>(buffer[2] | (buffer[3] << 8));
    frame.payload.assign(buffer.begin() + 4, buffer.begin() + 4 + static_cast<long>(len));
    buffer.erase(buffer.begin(), buffer.begin() + 5 + static_cast<long>(len));
    return CUT_FRAME;
}

Bytes CFrameCutter::TakeRest() {
    Bytes rest;
    rest.swap(buffer);
    return rest;
}
