// Every answer goes to the command it answers: late, repeated, stray and split replies, fed to
// the real dispatcher with a command in flight as the worker starts it, and against the
// simulator with replies later than the reply wait.
#include "EngineFixture.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"
#include "Texts.h"

#include <chrono>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {
// A remote reply frame as a module sends it: node, kind, letters, status, value.
std::string RemoteReply(uint16_t node, const char* letters, uint8_t status, const std::vector<uint8_t>& value) {
    std::vector<uint8_t> payload = {static_cast<uint8_t>(node & 0xFF), static_cast<uint8_t>(node >> 8), 0x07,
                                    static_cast<uint8_t>(letters[0]), static_cast<uint8_t>(letters[1]),
                                    static_cast<uint8_t>(letters[2]), status};
    payload.insert(payload.end(), value.begin(), value.end());
    uint8_t out[256] = {};
    const uint16_t command = 0x6244;
    const int32_t len = static_cast<int32_t>(payload.size());
    const int n = _MakeAPISendFrame(&command, payload.data(), &len, out);
    return std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(n));
}

int Lines(const CRecordingHost& host, const std::string& part) {
    int n = 0;
    for (const auto& l : host.log)
        n += l.find(part) != std::string::npos;
    return n;
}
} // namespace

// The worker's side scripted on the test thread: the records of a job go out one at a time as
// the worker sends them, and a time-out is reported as the worker reports it.
class AttributionTest : public EngineTest {
  protected:
    void StartJob(int mode, int isWrite) {
        inside->linkMode = mode;
        inside->curWrite = isWrite;
    }
    void Send(const SCmdItem& record) {
        ++inside->commandSerial;
        inside->sentQueue.Push(record);
        mark = inside->replyEvent.BeginCommand(record.type, record.isWrite, inside->curType, inside->curWrite);
        inside->replyEvent.Reset();
    }
    void SendAt(const std::string& text, int type, int isWrite) {
        SCmdItem r;
        ASSERT_TRUE(MakeTextCommand(text, type, isWrite, r));
        Send(r);
    }
    void SendRemote(uint16_t node, int type, int isWrite) {
        SCmdItem r;
        r.type = type;
        r.isWrite = isWrite;
        const int32_t m = MnemonicCode(type);
        const char letters[3] = {static_cast<char>(m & 0xFF), static_cast<char>((m >> 8) & 0xFF),
                                 static_cast<char>((m >> 16) & 0xFF)};
        const uint8_t value[2] = {0, 1};
        r.length = MakeAPISendFrameRemote(&node, letters, isWrite ? value : nullptr, isWrite ? 2 : 0, r.data);
        Send(r);
    }
    void TimeOut() { inside->OnCmdResult(0, inside->curType); }
    void Feed(const std::string& bytes) {
        inside->DispatchChunk(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    bool Completed() { return inside->replyEvent.Wait(0, mark); }

    unsigned mark = 0;
};

// A late answer for an earlier parameter, a reply too short to name one, and a bad checksum in a
// frame whose node address holds 0xFE: none completes the command in flight or costs the replies
// of later commands; status lines stay with their commands.
TEST_F(AttributionTest, RemoteRepliesCompleteOnlyTheirOwnCommand) {
    const uint16_t node = 0x3BFE;
    StartJob(LM_API, 1);
    inside->remoteNode = node;
    SendRemote(node, PT_IPR, 1);
    TimeOut(); // the node is slow: its answer comes during the next command
    SendRemote(node, PT_DBL, 1);
    Feed(RemoteReply(node, "IPR", 0, {}));
    EXPECT_FALSE(Completed());
    EXPECT_EQ(Lines(host, Text(TXT_LATE_REPLY).substr(0, 10)), 1);
    // Two frames in one chunk: the late one is logged, the one in flight completes.
    Feed(RemoteReply(node, "IPR", 0, {}) + RemoteReply(node, "DBL", 0, {}));
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(host.Logged("*Write Baudrate Failed!"));
    EXPECT_TRUE(host.Logged("*Write Debug Level Success!"));

    // Reads: a frame of LEN 5, then a frame with a bad checksum; the later commands keep theirs.
    host.log.clear();
    inside->sentQueue.Clear();
    inside->failedQueue.Clear();
    StartJob(LM_API, 0);
    SendRemote(node, PT_PID, 0);
    std::string shortFrame = RemoteReply(node, "PID", 0, {});
    shortFrame = std::string("\xFE\x05", 2) + shortFrame.substr(2, 7);
    shortFrame += static_cast<char>(0);
    {
        uint8_t x = 0;
        for (size_t i = 1; i < 9; ++i)
            x ^= static_cast<uint8_t>(shortFrame[i]);
        shortFrame[9] = static_cast<char>(x);
    }
    Feed(shortFrame);
    EXPECT_FALSE(Completed());
    TimeOut();
    SendRemote(node, PT_CHA, 0);
    std::string bad = RemoteReply(node, "CHA", 0, {0x00, 0x0B});
    bad.back() = static_cast<char>(bad.back() ^ 0x5A);
    Feed(bad);
    EXPECT_FALSE(Completed());
    TimeOut();
    SendRemote(node, PT_TYP, 0);
    Feed(RemoteReply(node, "TYP", 0, {0x00, 0x02}));
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.params[PT_TYP], "2");
    SendRemote(node, PT_SEC, 0);
    Feed(RemoteReply(node, "SEC", 0, {0x00, 0x01}));
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.params[PT_SEC], "1");
    EXPECT_TRUE(host.Logged("*Read PID Failed!"));
    EXPECT_TRUE(host.Logged("*Read Physical Channel Failed!"));
    EXPECT_TRUE(host.Logged("*Read Node Type Success!"));
    EXPECT_EQ(host.params.count(PT_CHA), 0u);
    // Another node's answer with the same parameter is no answer either.
    SendRemote(node, PT_PID, 0);
    Feed(RemoteReply(0x1234, "PID", 0, {0x12, 0x34}));
    EXPECT_FALSE(Completed());
    EXPECT_EQ(host.params.count(PT_PID), 0u);
}

// A late read reply while a write is in flight, a bare "OK" while a read is, a version text
// while a write is: dropped, and the command's own answer decides.
TEST_F(AttributionTest, AtAnswersCompleteOnlyWhatTheyAnswer) {
    StartJob(LM_AT, 1);
    SendAt("AT+PID=4660", PT_PID, 1);
    Feed("+MOD:0\r\nO");
    Feed("K\r\n");
    EXPECT_FALSE(Completed());
    Feed("ERROR\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(host.Logged("*Write PID Failed!"));
    EXPECT_FALSE(host.Logged("*Write PID Success!"));
    SendAt("AT+CHA=12", PT_CHA, 1);
    Feed("V1.6 R7730\r\nOK\r\nOK\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(host.Logged("*Write Physical Channel Success!"));

    StartJob(LM_AT, 0);
    SendAt("AT+VER", PT_SOFT_VERSION, 0);
    Feed("OK\r\n");
    EXPECT_FALSE(Completed());
    Feed("V1.6 R7730\r\nOK\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.softVersion, "V1.6 R7730");
    SendAt("AT+PID?", PT_PID, 0);
    Feed("+MOD:0\r\nOK\r\nOK\r\n+PID:1234\r\nOK\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.params[PT_PID], "1234");
    EXPECT_EQ(host.params.count(PT_MOD), 0u);
    // Text buffered for an earlier command is gone when the next is written.
    SendAt("AT+CHA?", PT_CHA, 0);
    Feed("+CHA:1");
    TimeOut();
    SendAt("AT+CHA?", PT_CHA, 0);
    Feed("2\r\nOK\r\n");
    EXPECT_FALSE(Completed());
    Feed("+CHA:13\r\nOK\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.params[PT_CHA], "13");
}

// The purge before a write can cut an escape's repeated "OK" in two: its tail "K" then comes
// during the version read, alone or before another "OK" or before the reply. A piece of "OK" is
// never a version text; the reply decides.
TEST_F(AttributionTest, PieceOfAnOkIsNeverAVersion) {
    const std::vector<std::vector<std::string>> cases = {
        {"K\r\n", "OK\r\n"},
        {"K", "\r\nO", "K\r\n"},
        {"K\r\nOK\r\nOK\r\n"},
        {"K\r\n"},
        {"\nK\r\nOK\r\n"},
    };
    StartJob(LM_AT, 0);
    for (int type : {PT_SOFT_VERSION, PT_BOOT_VERSION}) {
        for (size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "type " << type << ", case " << i);
            host.softVersion.clear();
            host.bootVersion.clear();
            SendAt(FindParam(type)->readCmd, type, 0);
            for (const std::string& piece : cases[i])
                Feed(piece);
            EXPECT_FALSE(Completed());
            Feed("V1.6 R7730\r\nOK\r\n");
            EXPECT_TRUE(Completed());
            EXPECT_EQ(type == PT_SOFT_VERSION ? host.softVersion : host.bootVersion, "V1.6 R7730");
        }
    }
}

// A search record between the lines of a read's reply leaves the reply buffered.
TEST_F(AttributionTest, SearchRecordInsideAReplyKeepsTheReply) {
    StartJob(LM_AT, 0);
    SendAt("AT+PID?", PT_PID, 0);
    Feed("+PID:12");
    Feed("34\r\n+NWS:1,2,00124B0001020304,1\r\n");
    ASSERT_EQ(host.nodes.size(), 1u);
    EXPECT_FALSE(Completed());
    Feed("OK\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.params[PT_PID], "1234");
    // In one chunk, with a record after the reply's end.
    SendAt("AT+CHA?", PT_CHA, 0);
    Feed("+CHA:11\r\n+NWS:6,7,00124B0001020305,2\r\nOK\r\n+NWS:9,10,00124B0001020306,0\r\n");
    EXPECT_TRUE(Completed());
    EXPECT_EQ(host.params[PT_CHA], "11");
    EXPECT_EQ(host.nodes.size(), 3u);
}

// Idle and raw mode: a chunk with no typed command in flight sets the reply event in LM_IDLE;
// in raw mode it goes nowhere, in any mode.
TEST_F(AttributionTest, IdleSetsTheEventAndRawModeSwallowsTheChunk) {
    StartJob(LM_IDLE, 0);
    const unsigned idleMark = inside->replyEvent.AbortCount();
    inside->replyEvent.Reset();
    EXPECT_EQ(inside->DispatchChunk(reinterpret_cast<const uint8_t*>("x"), 1), 1);
    EXPECT_TRUE(inside->replyEvent.Wait(0, idleMark));

    inside->rawMode = 1;
    inside->displayPacket = 1;
    for (int mode : {LM_IDLE, LM_AT, LM_API}) {
        StartJob(mode, 0);
        SendAt("AT+PID?", PT_PID, 0);
        Feed(mode == LM_API ? RemoteReply(1, "PID", 0, {0x12, 0x34}) : std::string("+PID:1234\r\nOK\r\n"));
        EXPECT_FALSE(Completed()) << mode;
        EXPECT_EQ(host.params.count(PT_PID), 0u) << mode;
        EXPECT_EQ(inside->sentQueue.GetCount(), 1) << mode;
        inside->sentQueue.Clear();
    }
    EXPECT_EQ(Lines(host, "[Recv COM Data,Size("), 3);
}

// The real dispatcher's "no command in flight: set the event" (a chunk in LM_IDLE) racing the
// worker's start of a command never completes the started command.
TEST_F(AttributionTest, IdleChunksRacingTheStartOfACommandNeverCompleteIt) {
    StartJob(LM_IDLE, 0);
    std::atomic<bool> stop{false};
    std::thread dispatcher([&] {
        const uint8_t byte = 'x';
        while (!stop)
            inside->DispatchChunk(&byte, 1);
    });
    int spurious = 0;
    for (int i = 0; i < 2000; ++i) {
        const unsigned m = inside->replyEvent.BeginCommand(PT_PID, 0, inside->curType, inside->curWrite);
        std::this_thread::yield();
        if (inside->replyEvent.Wait(0, m)) ++spurious;
        inside->curType = 0; // the result handler ends the command
    }
    stop = true;
    dispatcher.join();
    EXPECT_EQ(spurious, 0);
}
