#include "tamsil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Remote(uint16_t node, const char* letters, Bytes value) {
    uint8_t out[256] = {};
    int n = MakeAPISendFrameRemote(&node, letters, value.empty() ? nullptr : value.data(),
                                   static_cast<int32_t>(value.size()), out);
    return n > 0 ? Bytes(out, out + n) : Bytes();
}

void Fill(SRecvBuffer& b, const Bytes& bytes) {
    std::memset(&b, 0, sizeof b);
    std::memcpy(b.data, bytes.data(), bytes.size());
    b.writePos = b.count = static_cast<int32_t>(bytes.size());
}
} // namespace

TEST(FrameBuild, DocumentedVectors) {
    EXPECT_EQ(Remote(0x0001, "PID", {}), (Bytes{0xFE, 0x07, 0x24, 0x62, 0x01, 0x00, 0x07, 0x01, 0x50, 0x49, 0x44, 0x1B}));
    EXPECT_EQ(Remote(0x1234, "PID", {0x2B, 0x1A}),
              (Bytes{0xFE, 0x09, 0x24, 0x62, 0x34, 0x12, 0x07, 0x01, 0x50, 0x49, 0x44, 0x1A, 0x2B, 0x03}));
    uint8_t out[8];
    uint16_t cmd = 0x034D;
    int32_t len = 0;
    ASSERT_EQ(_MakeAPISendFrame(&cmd, nullptr, &len, out), 5);
    EXPECT_EQ(Bytes(out, out + 5), (Bytes{0xFE, 0x00, 0x4D, 0x03, 0x4E}));
    cmd = 0x2C21;
    len = 1;
    uint8_t two = 2;
    ASSERT_EQ(_MakeAPISendFrame(&cmd, &two, &len, out), 6);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0xFE, 0x01, 0x21, 0x2C, 0x02, 0x0E}));
}

TEST(FrameBuild, RefusesWhatDoesNotFit) {
    uint8_t out[300];
    uint16_t cmd = 1;
    int32_t len = 251;
    uint8_t payload[300] = {};
    EXPECT_EQ(_MakeAPISendFrame(&cmd, payload, &len, out), -1);
    EXPECT_EQ(_MakeAPISendFrame(&cmd, payload, &len, nullptr), -1);
    uint16_t node = 1;
    EXPECT_EQ(MakeAPISendFrameRemote(&node, "KEY", payload, 130, out), -1);
    EXPECT_EQ(MakeAPISendFrameRemote(&node, "KEY", payload, 129, out), 141);
}

TEST(FrameCut, StreamCases) {
    Bytes f1 = Remote(1, "PID", {});
    Bytes f2 = Remote(2, "NID", {1, 2});
    SRecvBuffer b;
    uint8_t frame[256];
    // Garbage before the first frame, two frames, then empty.
    Bytes s = {0x00, 0x41};
    s.insert(s.end(), f1.begin(), f1.end());
    s.insert(s.end(), f2.begin(), f2.end());
    Fill(b, s);
    EXPECT_EQ(ParseAPIFrame1(&b, frame), (int)f1.size());
    EXPECT_EQ(Bytes(frame, frame + f1.size()), f1);
    EXPECT_EQ(ParseAPIFrame1(&b, frame), (int)f2.size());
    EXPECT_EQ(ParseAPIFrame1(&b, frame), -1);
    EXPECT_EQ(b.writePos, 0);
    // Only a start byte: waits for the length.
    Fill(b, {0xFE});
    EXPECT_EQ(ParseAPIFrame1(&b, frame), 0);
    // Bad checksum skipped, the following frame found.
    Bytes bad = f1;
    bad.back() ^= 0xFF;
    bad.insert(bad.end(), f2.begin(), f2.end());
    Fill(b, bad);
    EXPECT_EQ(ParseAPIFrame1(&b, frame), (int)f2.size());
    // A length byte above 250 resynchronises on the next start byte.
    Bytes big = {0xFE, 0xFF, 0x00};
    big.insert(big.end(), f1.begin(), f1.end());
    Fill(b, big);
    EXPECT_EQ(ParseAPIFrame1(&b, frame), (int)f1.size());
}

// A start byte with a plausible length that is not a frame (noise, or a 0xFE inside a frame
// whose checksum failed) never holds back the complete frames behind it.
TEST(FrameCut, StrayStartsGiveWayToCompleteFrames) {
    Bytes late = Remote(0x3BFE, "PID", {}); // its node address holds 0xFE, then 0x3B = 59
    late.back() ^= 0x01;
    Bytes next = Remote(2, "CHA", {});
    Bytes s = late;
    s.insert(s.end(), next.begin(), next.end());
    SRecvBuffer b;
    uint8_t frame[256];
    Fill(b, s);
    ASSERT_EQ(ParseAPIFrame1(&b, frame), (int)next.size());
    EXPECT_EQ(Bytes(frame, frame + next.size()), next);
    // A stray start claiming 200 bytes, then a frame arriving in two pieces.
    Bytes stray = {0x11, 0xFE, 200, 0x22};
    Fill(b, stray);
    EXPECT_EQ(ParseAPIFrame1(&b, frame), 0);
    std::memcpy(b.data + b.writePos, next.data(), 4);
    b.writePos += 4;
    EXPECT_EQ(ParseAPIFrame1(&b, frame), 0);
    std::memcpy(b.data + b.writePos, next.data() + 4, next.size() - 4);
    b.writePos += static_cast<int32_t>(next.size() - 4);
    EXPECT_EQ(ParseAPIFrame1(&b, frame), (int)next.size());
    EXPECT_EQ(Bytes(frame, frame + next.size()), next);
}

TEST(FrameDecode, RemoteReplies) {
    auto reply = [](const char* l, uint8_t status, Bytes value) {
        Bytes p = {0x01, 0x00, 0x00, (uint8_t)l[0], (uint8_t)l[1], (uint8_t)l[2], status};
        p.insert(p.end(), value.begin(), value.end());
        uint8_t out[300];
        uint16_t cmd = 0x6244;
        int32_t len = (int32_t)p.size();
        int n = _MakeAPISendFrame(&cmd, p.data(), &len, out);
        SApiResult r{};
        ParseAPIFrame2(out, n, &r);
        return r;
    };
    SApiResult r = reply("PID", 0, {0x1A, 0x2B});
    EXPECT_EQ(r.type, 16);
    EXPECT_EQ(r.success, 1);
    EXPECT_STREQ(r.texts[0], "6699");
    EXPECT_EQ(reply("PID", 1, {0x1A, 0x2B}).success, 0);
    EXPECT_STREQ(reply("MID", 0, {0, 0x12, 0x4B, 0, 1, 2, 3, 4}).texts[0], "00124B0001020304");
    EXPECT_STREQ(reply("KEY", 0, {1, 2, 3, 4, 5, 6, 7, 8}).texts[0], "01020304050607080000000000000000");
    EXPECT_EQ(reply("SAV", 0, {}).type, 41);
    EXPECT_EQ(reply("SAV", 0, {1}).type, 0);
    EXPECT_STREQ(reply("PID", 0, {5}).texts[0], "1280");
    // More than 16 value bytes: decoded from the first 16 only, nothing outside the record written.
    EXPECT_STREQ(reply("TLK", 0, Bytes(40, 0xAB)).texts[0], "ABABABABABABABABABABABABABABABAB");
    EXPECT_EQ(_GetDataType('N' | 'I' << 8 | 'D' << 16), 18);
}

TEST(FrameDecode, SearchRecord) {
    // Kind, address (low byte first), MAC, node type; a short record decodes with zeros.
    const Bytes payload = {2, 0x34, 0x12, 0x00, 0x12, 0x4B, 0x00, 0x01, 0x02, 0x03, 0x04, 1};
    for (size_t len : {payload.size(), size_t(3)}) {
        uint8_t out[64];
        const uint16_t cmd = 0x5D44;
        const int32_t n = static_cast<int32_t>(len);
        SApiResult r{};
        ParseAPIFrame2(out, _MakeAPISendFrame(&cmd, payload.data(), &n, out), &r);
        EXPECT_EQ(r.type, 44);
        EXPECT_EQ(r.textCount, 4);
        EXPECT_STREQ(r.texts[0], "2");
        EXPECT_STREQ(r.texts[1], "4660");
        EXPECT_STREQ(r.texts[2], len == payload.size() ? "00124B0001020304" : "0000000000000000");
        EXPECT_STREQ(r.texts[3], len == payload.size() ? "1" : "0");
    }
    EXPECT_EQ(_GetDataType('V' | 'E' << 8 | 'R' << 16), 0);
}
