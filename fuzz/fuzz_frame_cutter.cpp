// Feeds arbitrary bytes through the engine's buffer (AppendChunk) and Tamsil's frame cutter and
// decoder in random chunk sizes; every frame cut must be whole, with a right checksum.
#include "RecvBuffer.h"
#include "tamsil.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SRecvBuffer b;
    ResetBuffer(b);
    size_t pos = 0;
    while (pos < size) {
        size_t n = 1 + data[pos] % 64;
        if (n > size - pos) n = size - pos;
        AppendChunk(b, data + pos, static_cast<int>(n));
        pos += n;
        for (;;) {
            uint8_t frame[256];
            const int32_t length = ParseAPIFrame1(&b, frame);
            if (length <= 0) break;
            uint8_t x = 0;
            for (int32_t i = 1; i < length - 1; ++i)
                x ^= frame[i];
            if (frame[0] != 0xFE || length != frame[1] + 5 || x != frame[length - 1]) __builtin_trap();
            SApiResult r;
            std::memset(&r, 0, sizeof r);
            ParseAPIFrame2(frame, length, &r);
        }
    }
    return 0;
}
