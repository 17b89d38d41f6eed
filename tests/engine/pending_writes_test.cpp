// Which page values a save writes: the rule the window's marks and its count share with Save.
#include "CmdItem.h"
#include "ParamCatalogue.h"
#include "PendingWrites.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct SCase {
    const char* name;
    std::vector<SCmdResult> read; // the last read values
    std::string page;             // the page's value of the PAN ID
    bool pending;
    bool moduleRead;
    std::string moduleValue;
};

const SCase kCases[] = {
    {"nothing read", {}, "1234", true, false, ""},
    {"an empty field has nothing to write", {}, "", false, false, ""},
    {"a line break is never written", {{PT_PID, {"1234"}}}, "12\n34", false, false, ""},
    {"a failed read has no value", {{PT_PID, {}}}, "1234", true, false, ""},
    {"same value", {{PT_PID, {"1234"}}}, "1234", false, false, ""},
    {"line ends and letter case aside", {{PT_KEY, {"x"}}, {PT_PID, {"ab12\r\n"}}}, "AB12", false, false, ""},
    {"another value", {{PT_PID, {"1234"}}}, "4321", true, true, "1234"},
    {"leading zeros are another text", {{PT_PID, {"1234"}}}, "01234", true, true, "1234"},
    // The first entry with a value counts, as for a save.
    {"first value read", {{PT_PID, {}}, {PT_PID, {"4321"}}, {PT_PID, {"1234"}}}, "1234", true, true, "4321"},
};
} // namespace

TEST(PendingWrites, ComparedWithTheLastReadValue) {
    for (const SCase& c : kCases) {
        CResultList read;
        for (const SCmdResult& r : c.read)
            read.Append(r);
        const std::vector<SPendingWrite> writes = PendingWrites({MakeValueRecord(PT_PID, c.page)}, read);
        ASSERT_EQ(writes.size(), c.pending ? 1u : 0u) << c.name;
        if (!c.pending) continue;
        EXPECT_EQ(writes[0].type, int(PT_PID)) << c.name;
        EXPECT_EQ(writes[0].pageValue, c.page) << c.name;
        EXPECT_EQ(writes[0].moduleRead, c.moduleRead) << c.name;
        EXPECT_EQ(writes[0].moduleValue, c.moduleValue) << c.name;
    }
}

TEST(PendingWrites, KeepThePagesOrder) {
    CResultList read;
    read.Append({PT_CHA, {"11"}});
    read.Append({PT_IPR, {"5"}});
    const std::vector<SPendingWrite> writes = PendingWrites(
        {MakeValueRecord(PT_IPR, "7"), MakeValueRecord(PT_CHA, "11"), MakeValueRecord(PT_ITV, "20"),
         MakeValueRecord(PT_DM0, "1")},
        read);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].type, int(PT_IPR));
    EXPECT_EQ(writes[1].type, int(PT_ITV));
    EXPECT_EQ(writes[2].type, int(PT_DM0));
}
