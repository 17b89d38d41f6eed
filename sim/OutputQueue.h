#pragma once

#include "FaultProfile.h"
#include "SimFrame.h"

#include <chrono>
#include <deque>
#include <optional>
#include <random>

// What the simulator sends, in order, with the faults of a real line applied: reply latency,
// replies cut into random pieces, replies now and then much later than the others (a busy or
// sleeping node: what follows waits behind them), dropped replies, corrupted frame checksums,
// noise between frames (with stray start bytes and plausible lengths, when asked for), and the
// line rate of a given baud rate (10 bits per byte): a piece of a reply reaches the reader only
// once its last byte would have crossed the line. One reply is one unit:
// the "OK" of an escape, an AT reply, one search record or one frame. Not thread-safe: the
// simulator holds its lock around every call.
class COutputQueue {
  public:
    using Clock = std::chrono::steady_clock;

    explicit COutputQueue(unsigned seed) : rng(seed) {}

    // Queues one reply to go out delayMs after the latency, never before an earlier one.
    void Schedule(Bytes reply, bool isFrame, int delayMs, Clock::time_point now);
    // Writes what is due to fd (non-blocking). Returns false when the write failed for good.
    bool WriteDue(int fd, Clock::time_point now);
    // When something is due next; nothing when the queue is empty.
    std::optional<Clock::time_point> NextDue() const;
    // The last write stopped because the line was full: wait for room.
    bool WaitingForRoom() const { return waitingForRoom; }
    // Bytes written to the line since construction.
    long BytesWritten() const { return bytesWritten; }
    void Clear() { pieces.clear(); }

    void SetLatency(int ms) { latencyMs = ms < 0 ? 0 : ms; }
    void SetChunking(int maxBytes) { chunkMax = maxBytes < 0 ? 0 : maxBytes; }
    void SetLineRate(unsigned baud) { lineBaud = baud; }
    unsigned LineRate() const { return lineBaud; }
    void DropReplies(int n) { dropNext = n < 0 ? 0 : n; }
    void CorruptChecksums(int n) { corruptNext = n < 0 ? 0 : n; }
    void SetGarbage(bool on) { garbage = on; }
    void SetLate(int every, int ms) {
        lateEvery = every < 0 ? 0 : every;
        lateMs = ms < 0 ? 0 : ms;
    }
    void SetStrayStarts(bool on) { strayStarts = on; }
    // A random number in 0..n-1 from the queue's seeded generator (n > 0).
    int Random(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

  private:
    struct SPiece {
        Clock::time_point due;
        Bytes bytes;
    };
    static constexpr int kPieceGapMs = 2; // keeps the pieces of a reply apart on the reader's side
    // Noise of 1..8 bytes; with strayStarts, a 0xFE and a length byte that never make a valid
    // frame with what follows, and now and then a stray start after the frame too.
    Bytes Noise(const Bytes& frame, bool trailing);

    // At the line rate: how many bytes of the front piece go out in one write, and when the last
    // of them has crossed the line (the line is free again).
    size_t LineChunk() const;
    Clock::time_point LineChunkDone() const;

    std::deque<SPiece> pieces;
    Clock::time_point lastDue{}, lineFreeAt{};
    std::mt19937 rng;
    bool waitingForRoom = false;
    long bytesWritten = 0;
    int latencyMs = 0, chunkMax = 0, dropNext = 0, corruptNext = 0, lateEvery = 0, lateMs = 0;
    unsigned lineBaud = 0;
    bool garbage = false, strayStarts = false;
};
