// Network-search records from arbitrary text, as the AT reply parser cuts them out of the
// receive buffer, through the check that decides whether a record is listed: a record that
// passes must have a node address 0..65534, a 16-digit hex MAC and a node type 0..2.
#include "AtReplyParser.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"
#include "ReplyValidity.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace {
void Check(const SCmdResult& r) {
    if (r.type != PT_NWS) return;
    std::vector<std::string> f;
    std::string why;
    if (!CheckSearchRecord(r.values, f, why)) {
        if (why.empty() || !f.empty()) std::abort();
        return;
    }
    if (f.size() != 4 || f[1].empty() || f[1].size() > 5 || std::stol(f[1]) > 65534) std::abort();
    if (f[2].size() != 16) std::abort();
    for (char c : f[2])
        if (!std::isxdigit(static_cast<unsigned char>(c))) std::abort();
    if (f[3] != "0" && f[3] != "1" && f[3] != "2") std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4000) return 0;
    static SRecvBuffer b;
    ResetBuffer(b);
    AppendChunk(b, "+NWS:", 5);
    if (size) AppendChunk(b, data, static_cast<int>(size));
    SCmdResult result;
    SNwsExtra extra;
    ParseAtReply(b, SParseState{PT_NWS, 0}, result, &extra);
    Check(result);
    for (const SCmdResult& more : extra.more)
        Check(more);
    return 0;
}
