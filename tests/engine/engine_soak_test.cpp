// A short run of the soak: loads and saves in a row on a hostile line (split, stray, repeated
// and late replies); nothing wrong reaches the pages or the log.
#include "Soak.h"

#include <gtest/gtest.h>

TEST(Soak, ShortRunOnAHostileLine) {
    SSoakOptions o;
    o.jobs = 6;
    ASSERT_TRUE(FaultProfileByName("hostile", o.faults));
    o.faults.lateEvery = 40;
    o.faults.lateMs = 300;
    o.timings.replyMs = 200;
    o.timings.lateGuardMs = 150;
    o.hangMs = 20000;
    const SSoakFigures f = RunSoak(o);
    EXPECT_EQ(f.completed, o.jobs);
    EXPECT_EQ(f.wrongValues, 0);
    EXPECT_EQ(f.falseSuccesses, 0);
    EXPECT_EQ(f.rewrites, 0);
    EXPECT_EQ(f.hangs, 0);
}
