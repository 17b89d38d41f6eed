// Feeds arbitrary text to the AT reply parser's functions for a command in flight: a reply the
// parser drops as late must be a whole reply at the front of the text, and parsing never fails.
// The dispatcher around them is fuzzed by fuzz_engine_receive.
#include "AtReplyParser.h"
#include "Messages.h"
#include "RecvBuffer.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SRecvBuffer b;
    ResetBuffer(b);
    if (size < 2) return 0;
    const SParseState state{data[0] % 46, data[1] & 1};
    AppendChunk(b, data + 2, static_cast<int>(size - 2));
    const std::string_view text = BufferText(b);
    const int stale = StaleReplyLength(text, state);
    if (stale < 0 || static_cast<size_t>(stale) > text.size()) __builtin_trap();
    SCmdResult r;
    SNwsExtra extra;
    ParseAtReply(b, state, r, &extra);
    if (extra.rest.size() > text.size()) __builtin_trap();
    return 0;
}
