#pragma once

#include "CmdResult.h"
#include "RecvBuffer.h"

#include <string>
#include <string_view>
#include <vector>

// The command in flight, as the parser needs it.
struct SParseState {
    int curType = 0;
    int curWrite = 0;
};

// Further network-search records found in the same text, and where a partial record starts
// (an offset into the parsed text that the caller keeps buffered; -1 when none).
struct SNwsExtra {
    std::vector<SCmdResult> more;
    int keepFrom = -1;
};

// Decides whether the buffered AT text holds a complete reply to the command in flight.
// Returns an EReplyCode. With extra, every complete "+NWS:" record becomes its own result
// (the first in result, the others in extra->more) and a trailing partial record is reported
// through extra->keepFrom.
int ParseAtReply(const SRecvBuffer& buffer, const SParseState& state, SCmdResult& result,
                 SNwsExtra* extra = nullptr);
int ParseReadReply(std::string_view text, const SParseState& state, SCmdResult& result);
int ParseWriteReply(std::string_view text, const SParseState& state, SCmdResult& result);
// Value between "+KEY" plus one separator and the following "OK".
bool ExtractKeyValue(std::string_view text, std::string_view key, std::string& value);
