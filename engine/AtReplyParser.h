#pragma once

#include "CmdResult.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"

#include <string>
#include <string_view>
#include <vector>

// The command in flight, as the parser needs it.
struct SParseState {
    int curType = 0;
    int curWrite = 0;
};

// What "+++" and "AT+API" expect: a bare "OK" (PT_SAV stands for any command answered so).
inline constexpr SParseState kAwaitBareOk{PT_SAV, 1};

// Further network-search records found in the same text, and where a partial record starts
// (an offset into the parsed text that the caller keeps buffered; -1 when none). rest is what
// the caller keeps buffered once records were found: the text before the first record (a reply
// still arriving), text after a record's line, and a trailing partial record.
struct SNwsExtra {
    std::vector<SCmdResult> more;
    int keepFrom = -1;
    std::string rest;
};

// Decides whether the buffered AT text holds a complete reply to the command in flight.
// Returns an EReplyCode. With extra, every complete "+NWS:" record becomes its own result
// (the first in result, the others in extra->more) and a trailing partial record is reported
// through extra->keepFrom.
int ParseAtReply(const SRecvBuffer& buffer, const SParseState& state, SCmdResult& result,
                 SNwsExtra* extra = nullptr);
int ParseReadReply(std::string_view text, const SParseState& state, SCmdResult& result);
int ParseWriteReply(std::string_view text, const SParseState& state, SCmdResult& result);
// The length of a complete reply at the start of text that cannot be the answer to the command
// in flight: a read's "+KEY:" reply while another key or a write is in flight, a bare "OK" while
// a read is, a version text while a write is, anything while nothing is. Such a reply belongs to
// an earlier command (it came late, or twice); the caller drops it. 0 when the text does not
// start with a complete reply that is known not to answer (search records are never dropped).
int StaleReplyLength(std::string_view text, const SParseState& state);
// Value between "+KEY" plus one separator and the following "OK".
bool ExtractKeyValue(std::string_view text, std::string_view key, std::string& value);
