// Feeds arbitrary text through the AT reply parser in chunks, resetting the buffer as the
// dispatcher does after a complete reply and keeping a partial network-search record.
#include "AtReplyParser.h"
#include "Messages.h"
#include "RecvBuffer.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SRecvBuffer b;
    ResetBuffer(b);
    if (size < 2) return 0;
    SParseState state{data[0] % 46, data[1] & 1};
    size_t pos = 2;
    while (pos < size) {
        size_t n = 1 + data[pos] % 32;
        if (n > size - pos) n = size - pos;
        AppendChunk(b, data + pos, static_cast<int>(n));
        pos += n;
        SCmdResult r;
        SNwsExtra extra;
        int code = ParseAtReply(b, state, r, &extra);
        if (code != REPLY_INCOMPLETE) {
            std::string tail;
            if (extra.keepFrom >= 0) tail = std::string(BufferText(b).substr(extra.keepFrom));
            ResetBuffer(b);
            if (!tail.empty()) AppendChunk(b, tail.data(), static_cast<int>(tail.size()));
        }
    }
    return 0;
}
