// Lines told by the table text they were made from: each conversion stands for any run.
#include "Texts.h"

#include <gtest/gtest.h>

TEST(Texts, PrintedFromTextKnowsTheLinesOfAText) {
    struct SCase {
        int id;
        const char* line;
        bool made;
    };
    const SCase cases[] = {
        {TXT_PARAMS_DIFFER, "3 parameters differ from the backup:", true},       // conversion first
        {TXT_PARAMS_DIFFER, "3 parameters differ from the backup: more", false},  // fixed end
        {TXT_BACKUP_WRITTEN, "Parameters backed up to /a/b.ini", true},           // conversion last
        {TXT_BACKUP_WRITTEN, "Parameters backed up to ", true},                   // an empty run
        {TXT_PARAM_DIFFERENCE, "    PID: 1 before, 2 now", true},
        {TXT_PARAM_DIFFERENCE, "    PID: 1 before", false},
        {273, "The upgrade process is complete!", true},                          // no conversion
        {273, "The upgrade process is complete!!", false},
        {TXT_TRANSFER_TOTALS,
         "Transfer totals: 5 bytes in 0.1 s, 50 bytes/s, 0.5 % of the line-rate limit at 9600 baud (873 bytes/s)",
         true},                                                                   // "%%" is a fixed "%"
        {TXT_TRANSFER_TOTALS, "Transfer totals: 5 bytes in 0.1 s, 50 bytes/s", false},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(PrintedFromText(c.line, c.id), c.made) << c.id << ": " << c.line;
}

// The window's numbered places ("%1") are places of their own, whatever text follows them: a
// translation that puts other punctuation after one keeps it.
TEST(Texts, NumberedPlacesAreKeptApartFromWhatFollows) {
    EXPECT_EQ(TextConversions("node %1 (MAC %2), %10;"), (std::vector<std::string>{"%1", "%2", "%10"}));
    EXPECT_EQ(TextConversions("节点 %1（MAC %2）"), TextConversions("node %1 (MAC %2)"));
    EXPECT_EQ(TextConversions("%5.1f %% of %-3d %s"), (std::vector<std::string>{"%5.1f", "%-3d", "%s"}));
    EXPECT_TRUE(SetTextTable({{TXT_VALUES_OF_NODE, "当前显示：节点 %1（MAC %2）的参数"}}).empty());
    EXPECT_EQ(Text(TXT_VALUES_OF_NODE), "当前显示：节点 %1（MAC %2）的参数");
    SetTextTable({});
}
