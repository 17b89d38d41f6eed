#include "RecvBuffer.h"

#include <cstring>

void ResetBuffer(SRecvBuffer& buffer) {
    std::memset(&buffer, 0, sizeof buffer);
}

void AppendChunk(SRecvBuffer& buffer, const void* bytes, int n) {
    if (n <= 0) return;
    if (n > RECV_BUFFER_SIZE) n = RECV_BUFFER_SIZE; // a chunk never exceeds the buffer
    if (RECV_BUFFER_SIZE - buffer.writePos < n) ResetBuffer(buffer);
    std::memcpy(buffer.data + buffer.writePos, bytes, static_cast<size_t>(n));
    buffer.writePos += n;
    buffer.count = buffer.writePos - buffer.readPos;
}

void DropFront(SRecvBuffer& buffer, int n) {
    if (n <= 0) return;
    if (n >= buffer.writePos - buffer.readPos) {
        ResetBuffer(buffer);
        return;
    }
    buffer.readPos += n;
    buffer.count = buffer.writePos - buffer.readPos;
}

std::string_view BufferText(const SRecvBuffer& buffer) {
    if (buffer.readPos < 0 || buffer.readPos >= buffer.writePos) return {};
    return {reinterpret_cast<const char*>(buffer.data) + buffer.readPos,
            static_cast<size_t>(buffer.writePos - buffer.readPos)};
}
