// Feeds arbitrary bytes through the frame cutter and decoder in random chunk sizes.
#include "tamsil.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SRecvBuffer b;
    std::memset(&b, 0, sizeof b);
    size_t pos = 0;
    while (pos < size) {
        size_t n = 1 + data[pos] % 64;
        if (n > size - pos) n = size - pos;
        if (RECV_BUFFER_SIZE - b.writePos < (int)n) std::memset(&b, 0, sizeof b);
        std::memcpy(b.data + b.writePos, data + pos, n);
        b.writePos += (int32_t)n;
        b.count = b.writePos - b.readPos;
        pos += n;
        for (;;) {
            SApiResult r;
            std::memset(&r, 0, sizeof r);
            if (ParseAPIFrame(&b, &r) <= 0) break;
        }
    }
    return 0;
}
