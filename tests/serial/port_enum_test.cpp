#include "PortEnum.h"
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/file.h>

namespace {

const SSerInfo* FindListed(const std::vector<SSerInfo>& list, const std::string& listName) {
    for (const SSerInfo& info : list)
        if (ListName(info) == listName) return &info;
    return nullptr;
}

int CountListed(const std::vector<SSerInfo>& list, const std::string& listName) {
    return int(
        std::count_if(list.begin(), list.end(), [&](const SSerInfo& i) { return ListName(i) == listName; }));
}

TEST(PortEnumeration, ListsLiveAliasesWithTheirDeviceAndSkipsDanglingOnes) {
    CPortsFolder folder;
    SPty first, second;
    folder.Alias(200, first.path);
    folder.Alias(201, "/dev/pts/no-such-terminal");
    folder.Alias(33, second.path); // takes the number of ttyUSB0
    std::vector<SSerInfo> list;
    std::string error;
    ASSERT_TRUE(EnumeratePorts(list, false, &error)) << error;
    EXPECT_EQ(error, "");

    const SSerInfo* alias = FindListed(list, "COM200");
    ASSERT_NE(alias, nullptr);
    EXPECT_EQ(alias->portName, "COM200");
    EXPECT_EQ(alias->devicePath, first.path);
    EXPECT_EQ(alias->description, "Pseudo-terminal [" + first.path + "]");
    EXPECT_EQ(alias->friendlyName, alias->description + " (COM200)");
    EXPECT_FALSE(alias->isUsb);
    EXPECT_EQ(FindListed(list, "COM201"), nullptr);
    ASSERT_EQ(CountListed(list, "COM33"), 1);
    EXPECT_EQ(FindListed(list, "COM33")->devicePath, second.path);

    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](const SSerInfo& a, const SSerInfo& b) {
        return std::stoi(a.portName.substr(3)) < std::stoi(b.portName.substr(3));
    }));
    for (const SSerInfo& info : list) {
        EXPECT_EQ(ListName(info), info.portName);
        EXPECT_NE(info.description.find(info.devicePath), std::string::npos)
            << "the operator sees the device";
    }
}

TEST(PortEnumeration, OnlyOpenableLeavesOutAPortThatIsHeld) {
    CPortsFolder folder;
    SPty held, free;
    folder.Alias(200, held.path);
    folder.Alias(201, free.path);
    // Another program holds the port as a serial program does: open and locked.
    const int holder = open(held.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    std::vector<SSerInfo> list;
    EnumeratePorts(list, true);
    EXPECT_EQ(FindListed(list, "COM200"), nullptr);
    EXPECT_NE(FindListed(list, "COM201"), nullptr);
    EnumeratePorts(list, false);
    EXPECT_NE(FindListed(list, "COM200"), nullptr);
    close(holder);
}

TEST(PortWatcher, NoticesAliasesComingAndGoingButNotOtherTerminals) {
    CPortsFolder folder;
    auto target = std::make_unique<SPty>();
    CPortWatcher watcher;
    EXPECT_TRUE(watcher.Changed()) << "the first call";
    EXPECT_FALSE(watcher.Changed());

    folder.Alias(200, target->path);
    EXPECT_TRUE(watcher.Changed()) << "new alias";
    EXPECT_FALSE(watcher.Changed());

    { SPty unrelated; }
    EXPECT_FALSE(watcher.Changed()) << "another program's terminal";

    target.reset();
    EXPECT_TRUE(watcher.Changed()) << "the aliased terminal closed";
    EXPECT_FALSE(watcher.Changed());

    folder.Remove(200);
    EXPECT_TRUE(watcher.Changed()) << "removed alias";
    EXPECT_FALSE(watcher.Changed());
}

TEST(PortWatcher, FollowsAPortsFolderThatAppearsLater) {
    CPortsFolder parent;
    const std::string later = parent.path + "/ports";
    setenv("CALYRA_PORTS_DIR", later.c_str(), 1);
    CPortWatcher watcher;
    EXPECT_TRUE(watcher.Changed());
    EXPECT_FALSE(watcher.Changed());
    ASSERT_EQ(mkdir(later.c_str(), 0700), 0);
    EXPECT_TRUE(watcher.Changed()) << "the folder appeared";
    SPty pty;
    ASSERT_EQ(symlink(pty.path.c_str(), (later + "/COM7").c_str()), 0);
    EXPECT_TRUE(watcher.Changed()) << "an alias in it";
    EXPECT_FALSE(watcher.Changed());
}

TEST(PortList, ReadsTheSystemOnlyAfterAChange) {
    CPortsFolder folder;
    SPty pty;
    CPortList ports;
    EXPECT_EQ(FindListed(ports.Get(), "COM200"), nullptr);
    EXPECT_EQ(ports.Reads(), 1u);

    constexpr int kCalls = 10000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i)
        ports.Get();
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kCalls;
    std::printf("[ timing ] CPortList::Get without a change: %.2f us per call\n", us);
    RecordProperty("get_us_per_call", std::to_string(us));
    EXPECT_EQ(ports.Reads(), 1u) << "nothing changed: no re-read";

    folder.Alias(200, pty.path);
    std::string error;
    EXPECT_NE(FindListed(ports.Get(&error), "COM200"), nullptr);
    EXPECT_EQ(error, "");
    EXPECT_EQ(ports.Reads(), 2u);
    ports.Invalidate();
    ports.Get();
    EXPECT_EQ(ports.Reads(), 3u);
}

} // namespace
