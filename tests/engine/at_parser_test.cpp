#include "AtReplyParser.h"
#include "Messages.h"
#include "RecvBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Case {
    const char* name;
    int curType, curWrite;
    std::vector<std::string> chunks;
    int code;
    int type;
    std::vector<std::string> values;
};

const std::vector<Case> kCases = {
    {"read", 16, 0, {"+PID:1234\r\nOK\r\n"}, REPLY_DONE, 16, {"1234"}},
    {"split", 16, 0, {"+PID:12", "34\r\nOK\r\n"}, REPLY_DONE, 16, {"1234"}},
    {"echo", 16, 0, {"AT+PID?\r\n+PID:1234\r\nOK\r\n"}, REPLY_DONE, 16, {"1234"}},
    {"error", 16, 0, {"ERROR\r\n"}, REPLY_ERROR, 16, {}},
    {"other key", 16, 0, {"+TID:5\r\nOK\r\n"}, REPLY_INCOMPLETE, 16, {}},
    {"version", 4, 0, {"V2.1\r\nOK\r\n"}, REPLY_DONE, 4, {"V2.1"}},
    {"version with echo", 4, 0, {"AT+VER\r\nV2.1\r\nOK\r\n"}, REPLY_DONE, 4, {"V2.1"}},
    {"boot version with echo", 5, 0, {"AT+BTL\r\nBL 1\r\nOK\r\n"}, REPLY_DONE, 5, {"BL 1"}},
    {"restart", 43, 0, {"OK\r\n"}, REPLY_DONE, 43, {"1"}},
    {"write", 16, 1, {"OK\r\n"}, REPLY_DONE, 16, {""}},
    {"write error and ok", 16, 1, {"ERROR OK\r\n"}, REPLY_DONE, 16, {""}},
    {"nws partial", 44, 0, {"+NWS:1,2,3\r\n"}, REPLY_INCOMPLETE, 0, {}},
    {"nws completed", 44, 0, {"+NWS:1,2,3\r\n", ",4\r\n"}, REPLY_DONE, 44, {"1", "2", "3\r\n", "4\r\n"}},
    {"nws between commands", 0, 0, {"+NWS:a,b,c,d\r\n"}, REPLY_RECORD, 44, {"a", "b", "c", "d\r\n"}},
    {"nv", 16, 0, {"+NV\r\n+PID:1\r\nOK\r\n"}, REPLY_INCOMPLETE, 0, {}},
};
} // namespace

TEST(AtParser, DocumentedCases) {
    for (const Case& c : kCases) {
        static SRecvBuffer b;
        ResetBuffer(b);
        SCmdResult r;
        int code = REPLY_INCOMPLETE;
        for (const std::string& chunk : c.chunks) {
            AppendChunk(b, chunk.data(), static_cast<int>(chunk.size()));
            r = SCmdResult{};
            code = ParseAtReply(b, SParseState{c.curType, c.curWrite}, r);
        }
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_EQ(r.type, c.type) << c.name;
        EXPECT_EQ(r.values, c.values) << c.name;
    }
}

TEST(AtParser, EveryNwsRecordOfAChunkIsItsOwnResult) {
    static SRecvBuffer b;
    ResetBuffer(b);
    std::string text = "+NWS:a,b,c,d\r\n+NWS:e,f,g,h\r\n+NWS:i,j";
    AppendChunk(b, text.data(), static_cast<int>(text.size()));
    SCmdResult r;
    SNwsExtra extra;
    EXPECT_EQ(ParseAtReply(b, SParseState{0, 0}, r, &extra), REPLY_RECORD);
    EXPECT_EQ(r.values, (std::vector<std::string>{"a", "b", "c", "d\r\n"}));
    ASSERT_EQ(extra.more.size(), 1u);
    EXPECT_EQ(extra.more[0].values[0], "e");
    EXPECT_EQ(text.substr(extra.keepFrom), "+NWS:i,j");
}

TEST(AtParser, ANextTagCutByTheChunkStaysForTheNextRecord) {
    // Split replies can end a chunk inside the next record's tag: the record before it is whole,
    // the piece of the tag is kept, so the next node is not lost.
    for (const std::string piece : {"+", "+N", "+NW", "+NWS"}) {
        static SRecvBuffer b;
        ResetBuffer(b);
        const std::string text = "+NWS:a,b,c,d\r\n" + piece;
        AppendChunk(b, text.data(), static_cast<int>(text.size()));
        SCmdResult r;
        SNwsExtra extra;
        EXPECT_EQ(ParseAtReply(b, SParseState{44, 0}, r, &extra), REPLY_DONE) << piece;
        EXPECT_EQ(r.values, (std::vector<std::string>{"a", "b", "c", "d\r\n"})) << piece;
        EXPECT_EQ(extra.rest, piece) << "the piece of the tag stays buffered";
    }
}

TEST(AtParser, ExtractKeyValueEdges) {
    std::string v = "x";
    EXPECT_TRUE(ExtractKeyValue("+PID:OK", "PID", v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(ExtractKeyValue("+PI", "PID", v));
    EXPECT_FALSE(ExtractKeyValue("+PID:12", "PID", v));
}
