// The boot loader: entry by the restart request or a handshake, block writes checked against
// their addresses, enable, the received image kept for comparison, a broken download, and the
// line-rate pacing of its exchanges.

#include "ParamCatalogue.h"
#include "SimTestPort.h"

#include <set>

using namespace std::chrono;

namespace {
constexpr uint16_t kHandshake = 0x044D, kBlock = 0x014D, kEnable = 0x034D;

Bytes BlockPayload(uint16_t address, const Bytes& image, size_t offset) {
    Bytes p = {static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(address >> 8)};
    for (size_t i = 0; i < 64; ++i)
        p.push_back(offset + i < image.size() ? image[offset + i] : 0xFF);
    return p;
}
} // namespace

class SimBootTest : public SimTest {
  protected:
    // Sends a boot loader frame; the reply's command and status.
    std::pair<uint16_t, bool> Send(uint16_t command, const Bytes& payload) {
        SApiResult r{};
        EXPECT_TRUE(Exchange(Frame(command, payload), r));
        return {r.command, r.success == 1};
    }
};

TEST_F(SimBootTest, DownloadAfterRestartRequest) {
    ASSERT_TRUE(EnterApi());
    SApiResult r{};
    ASSERT_TRUE(Exchange(Frame(0x2C21, {0x02}), r));
    EXPECT_EQ(r.command, 0x2C61);
    EXPECT_TRUE(sim.InBootLoader());
    EXPECT_EQ(Send(kHandshake, {0x02}), std::make_pair(uint16_t(0x844D), true));

    Bytes image(100);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 7 + 1);
    EXPECT_EQ(Send(kBlock, BlockPayload(0, image, 0)), std::make_pair(uint16_t(0x814D), true));
    EXPECT_EQ(Send(kBlock, BlockPayload(16, image, 64)), std::make_pair(uint16_t(0x814D), true));
    EXPECT_FALSE(sim.ImageEnabled());
    EXPECT_EQ(Send(kEnable, {}), std::make_pair(uint16_t(0x834D), true));

    Bytes expected = image;
    expected.resize(128, 0xFF);
    EXPECT_EQ(sim.FlashImage(), expected);
    EXPECT_EQ(sim.BlocksReceived(), 2);
    EXPECT_TRUE(sim.ImageEnabled());
    EXPECT_FALSE(sim.InBootLoader()); // the new application runs
    std::vector<std::string> log = sim.ReceivedCommands();
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"BOOT handshake", "BOOT block 0", "BOOT block 16", "BOOT enable"}));
}

// Without the restart request the first bytes on the line are the handshake.
TEST_F(SimBootTest, AddressesAreChecked) {
    EXPECT_EQ(Send(kHandshake, {0x02}), std::make_pair(uint16_t(0x844D), true));
    EXPECT_TRUE(sim.InBootLoader());
    Bytes image(64 * 3, 0x5A);
    EXPECT_FALSE(Send(kEnable, {}).second);                         // nothing to enable yet
    EXPECT_FALSE(Send(kBlock, BlockPayload(16, image, 64)).second); // must start at 0
    EXPECT_TRUE(Send(kBlock, BlockPayload(0, image, 0)).second);
    EXPECT_TRUE(Send(kBlock, BlockPayload(0, image, 0)).second);     // repeat of the last block
    EXPECT_FALSE(Send(kBlock, BlockPayload(32, image, 128)).second); // gap
    EXPECT_TRUE(Send(kBlock, BlockPayload(16, image, 64)).second);
    EXPECT_FALSE(Send(kBlock, BlockPayload(59888, image, 0)).second); // past the flash
    Bytes shortBlock = BlockPayload(32, image, 128);
    shortBlock.pop_back();
    EXPECT_FALSE(Send(kBlock, shortBlock).second);
    EXPECT_EQ(sim.BlocksReceived(), 2);
    EXPECT_TRUE(Send(kHandshake, {0x02}).second); // a late handshake keeps the download
    EXPECT_EQ(sim.BlocksReceived(), 2);
}

// The line-rate pacing never beats the line: each block exchange at 115200 baud (71 bytes to the
// module, its 6-byte reply back, 10 bits a byte) takes at least the time those 77 bytes need,
// also the fastest one, and the reply's last byte ends the exchange.
TEST_F(SimBootTest, LineRatePacingIsNeverFasterThanTheLine) {
    constexpr unsigned kBaud = 115200;
    const auto lineTime = nanoseconds(77LL * 10 * 1'000'000'000 / kBaud);
    sim.SetLineRate(kBaud);
    EXPECT_TRUE(Send(kHandshake, {0x02}).second);
    Bytes image(64 * 30, 0x3C);
    nanoseconds fastest = hours(1);
    for (uint16_t block = 0; block < 30; ++block) {
        const auto start = SteadyClock::now();
        ASSERT_EQ(Send(kBlock, BlockPayload(block * 16, image, block * 64u)), std::make_pair(uint16_t(0x814D), true));
        fastest = std::min<nanoseconds>(fastest, SteadyClock::now() - start);
    }
    EXPECT_GE(fastest.count(), lineTime.count());
}

// An enabled image gets a version text of its own; with the option on it brings the factory
// values back, with the option off the saved values stay.
TEST_F(SimBootTest, EnabledImageSetsItsVersionAndMayResetTheParameters) {
    struct SCase {
        bool resets;
        const char* pidAfter;
    };
    std::set<std::string> versions;
    for (SCase c : {SCase{true, "65535"}, SCase{false, "4660"}}) {
        SSimOptions o;
        o.imageResetsParams = c.resets;
        StartWith(o);
        sim.SetLocalParam(PT_PID, "4660");
        versions.insert(sim.LocalParam(PT_SOFT_VERSION));
        EXPECT_TRUE(Send(kHandshake, {0x02}).second);
        const Bytes image(64, c.resets ? 0x11 : 0x22);
        EXPECT_TRUE(Send(kBlock, BlockPayload(0, image, 0)).second);
        EXPECT_TRUE(Send(kEnable, {}).second);
        EXPECT_EQ(sim.LocalParam(PT_PID), c.pidAfter) << c.resets;
        versions.insert(sim.LocalParam(PT_SOFT_VERSION));
        EXPECT_EQ(sim.LocalParam(PT_SOFT_VERSION).rfind("V1.6 R7730 #", 0), 0u);
    }
    EXPECT_EQ(versions.size(), 3u); // the first module's own and one per image
}

// A download broken off leaves the module in its boot loader: "+++" gets no "OK", a power
// cycle keeps it there, and the handshake is answered at once. A completed download leaves it.
TEST_F(SimBootTest, InterruptedDownloadStaysInTheBootLoader) {
    EXPECT_TRUE(Send(kHandshake, {0x02}).second);
    const Bytes image(64 * 3, 0x77);
    EXPECT_TRUE(Send(kBlock, BlockPayload(0, image, 0)).second);
    EXPECT_TRUE(Send(kBlock, BlockPayload(16, image, 64)).second);
    port.Write("+++");
    EXPECT_EQ(port.ReadFor(100), "");
    sim.PowerCycle();
    EXPECT_TRUE(sim.InBootLoader());
    const auto start = SteadyClock::now();
    EXPECT_EQ(Send(kHandshake, {0x02}), std::make_pair(uint16_t(0x844D), true));
    EXPECT_LT(SteadyClock::now() - start, milliseconds(200));

    EXPECT_TRUE(Send(kBlock, BlockPayload(0, image, 0)).second);
    EXPECT_TRUE(Send(kEnable, {}).second);
    sim.PowerCycle();
    EXPECT_FALSE(sim.InBootLoader());
    EXPECT_TRUE(EnterConfig());
}
