#include "CmdItem.h"
#include "CmdQueue.h"
#include "ParamCatalogue.h"
#include "RecvBuffer.h"
#include "tamsil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(Catalogue, MnemonicsAndTypesAgree) {
    EXPECT_EQ(MnemonicCode(5), -1);
    EXPECT_EQ(MnemonicCode(44), -1);
    EXPECT_EQ(MnemonicCode(0), -1);
    EXPECT_EQ(MnemonicCode(28), 3165508);
    EXPECT_EQ(MnemonicCode(6), 5394505);
    EXPECT_EQ(MnemonicCode(41), 5652819);
    // Tamsil's lookup is the inverse of the catalogue for every code with a mnemonic.
    for (int code = 6; code <= 43; ++code)
        EXPECT_EQ(_GetDataType(MnemonicCode(code)), code) << code;
    EXPECT_EQ(ParamCaption(28), "IO0 Work Mode");
    EXPECT_EQ(ParamCaption(36), "IO3 Time");
    EXPECT_EQ(ParamCaption(19), "");
    EXPECT_EQ(FindParam(14)->writePrefix, nullptr);
    ASSERT_EQ(LocalLoadOrder().size(), 36u);
    EXPECT_STREQ(FindParam(LocalLoadOrder().front())->readCmd, "AT+VER");
    EXPECT_STREQ(FindParam(LocalLoadOrder().back())->readCmd, "AT+TLK?");
}

TEST(Records, TextCommandsAndBounds) {
    SCmdItem item;
    ASSERT_TRUE(MakeTextCommand("AT+PID?", 16, 0, item));
    EXPECT_EQ(item.length, 9);
    EXPECT_EQ(std::memcmp(item.data, "AT+PID?\r\n", 9), 0);
    for (size_t i = 9; i < sizeof item.data; ++i)
        ASSERT_EQ(item.data[i], 0);
    ASSERT_TRUE(MakeWriteCommand(16, "1234", item));
    EXPECT_EQ(item.Text(), "AT+PID=1234\r\n");
    EXPECT_EQ(item.isWrite, 1);
    EXPECT_FALSE(MakeWriteCommand(14, "00", item));
    EXPECT_TRUE(MakeTextCommand(std::string(125, 'A'), 0, 0, item));
    EXPECT_FALSE(MakeTextCommand(std::string(126, 'A'), 0, 0, item));
}

TEST(Queue, TakeAllAndPop) {
    CCmdQueue source, target;
    SCmdItem item;
    for (int t : {6, 7, 8}) {
        MakeTextCommand("X", t, 0, item);
        source.Push(item);
    }
    MakeTextCommand("Y", 99, 0, item);
    target.Push(item);
    target.TakeAll(source);
    EXPECT_TRUE(source.IsEmpty());
    ASSERT_EQ(target.GetCount(), 3);
    for (int t : {6, 7, 8}) {
        EXPECT_EQ(target.Front().type, t);
        target.Pop();
    }
    target.Pop();
    EXPECT_EQ(target.GetCount(), 0);
}

TEST(Buffer, AppendResetsOnlyWhenTheChunkDoesNotFit) {
    static SRecvBuffer b;
    ResetBuffer(b);
    std::vector<uint8_t> first(2000, 'a'), big(3000, 'b'), exact(3096, 'c');
    AppendChunk(b, first.data(), 2000);
    AppendChunk(b, big.data(), 3000);
    EXPECT_EQ(b.writePos, 3000);
    EXPECT_EQ(b.readPos, 0);
    EXPECT_EQ(b.count, 3000);
    EXPECT_EQ(b.data[0], 'b');
    ResetBuffer(b);
    AppendChunk(b, first.data(), 1000);
    AppendChunk(b, exact.data(), 3096);
    EXPECT_EQ(b.writePos, 4096);
    EXPECT_EQ(b.data[0], 'a');
}
