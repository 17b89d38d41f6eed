#include "OutputQueue.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

using namespace std::chrono;

void COutputQueue::Schedule(Bytes reply, bool isFrame, int delayMs, Clock::time_point now) {
    if (dropNext > 0) {
        --dropNext;
        return;
    }
    if (isFrame && corruptNext > 0 && !reply.empty()) {
        --corruptNext;
        reply.back() ^= 0xFF;
    }
    if (isFrame && (garbage || strayStarts)) {
        const Bytes before = Noise(reply, false);
        if (strayStarts && rng() % 4 == 0) {
            const Bytes after = Noise({}, true);
            reply.insert(reply.end(), after.begin(), after.end());
        }
        reply.insert(reply.begin(), before.begin(), before.end());
    }
    if (lateEvery > 0 && rng() % static_cast<unsigned>(lateEvery) == 0) delayMs += lateMs;
    Clock::time_point due = std::max(now + milliseconds(latencyMs + delayMs), lastDue);
    size_t at = 0;
    while (at < reply.size()) {
        size_t n = reply.size() - at;
        if (chunkMax > 0) n = std::min(n, static_cast<size_t>(1 + rng() % chunkMax));
        pieces.push_back(
            {due, Bytes(reply.begin() + static_cast<long>(at), reply.begin() + static_cast<long>(at + n))});
        at += n;
        lastDue = due;
        due += milliseconds(kPieceGapMs);
    }
}

size_t COutputQueue::LineChunk() const {
    // At most 5 ms worth of bytes at a time, so a long reply trickles in at line speed.
    return std::min<size_t>(pieces.front().bytes.size(), std::max<size_t>(1, lineBaud / 10 / 200));
}

COutputQueue::Clock::time_point COutputQueue::LineChunkDone() const {
    // The chunk starts on the line when it is due and the line is free, and is handed to the
    // reader only when its last bit has arrived: never earlier than a real line would deliver it.
    const Clock::time_point start = std::max(pieces.front().due, lineFreeAt);
    return start + nanoseconds(static_cast<long long>(LineChunk()) * 10 * 1'000'000'000LL / lineBaud);
}

Bytes COutputQueue::Noise(const Bytes& frame, bool trailing) {
    // Plain noise never holds a start byte: it must not open a frame of its own.
    Bytes noise(1 + rng() % 8);
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>(rng() % 0xFE);
    if (!strayStarts) return noise;
    // A stray start with a plausible length. After a frame it claims far more bytes than the
    // next replies hold: the reader must not wait on it while a real frame behind it is
    // complete. Before a frame it ends inside that frame with a wrong checksum: the reader must
    // not lose the frame when it drops the stray.
    const size_t at = rng() % noise.size();
    if (trailing) {
        noise.insert(noise.begin() + static_cast<long>(at), {0xFE, static_cast<uint8_t>(200 + rng() % 51)});
        return noise;
    }
    const size_t room = noise.size() + frame.size() - at; // bytes from the stray start on
    if (room < 5) return noise;
    Bytes all = noise;
    all.insert(all.end(), frame.begin(), frame.end());
    all.insert(all.begin() + static_cast<long>(at), {0xFE, 0});
    // A length up to 60 that ends inside the frame and fails its checksum.
    for (size_t len = 1 + rng() % std::min<size_t>(60, room - 3); len >= 1; --len) {
        uint8_t x = static_cast<uint8_t>(len);
        for (size_t i = at + 2; i < at + len + 4; ++i)
            x ^= all[i];
        if (x != all[at + len + 4]) {
            noise.insert(noise.begin() + static_cast<long>(at), {0xFE, static_cast<uint8_t>(len)});
            break;
        }
    }
    return noise;
}

std::optional<COutputQueue::Clock::time_point> COutputQueue::NextDue() const {
    if (pieces.empty()) return std::nullopt;
    return lineBaud ? LineChunkDone() : pieces.front().due;
}

bool COutputQueue::WriteDue(int fd, Clock::time_point now) {
    waitingForRoom = false;
    while (!pieces.empty() && pieces.front().due <= now) {
        SPiece& p = pieces.front();
        size_t n = p.bytes.size();
        Clock::time_point done{};
        if (lineBaud) {
            done = LineChunkDone();
            if (now < done) return true;
            n = LineChunk();
        }
        ssize_t w = write(fd, p.bytes.data(), n);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                waitingForRoom = true;
                return true;
            }
            return false;
        }
        bytesWritten += w;
        if (lineBaud) lineFreeAt = done;
        p.bytes.erase(p.bytes.begin(), p.bytes.begin() + w);
        if (p.bytes.empty()) pieces.pop_front();
    }
    return true;
}
