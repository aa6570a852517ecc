#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runner/runner.h"

namespace {

// A network match's recording line goes through the script parser and back to both records,
// every byte in its own place (each byte differs, so one in the other record or place shows).
TEST(NetRecording, TickLineReadsBackAsBothRecords) {
    std::array<std::uint8_t, 8> host{}, guest{};
    for (int i = 0; i < 8; ++i) {
        host[i] = static_cast<std::uint8_t>(0x10 + i);
        guest[i] = static_cast<std::uint8_t>(0xa0 + i);
    }
    const std::string line = NetTickLine(1234, host.data(), guest.data());
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(ParseInputScript("# seed 1\n" + line + "\n", events, error)) << error;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].tick, 1234);
    std::array<std::uint8_t, 8> h{}, g{};
    ASSERT_TRUE(ParseNetRecords(events[0].arg, h.data(), g.data()));
    EXPECT_EQ(h, host);
    EXPECT_EQ(g, guest);
}

class BadNetRecords : public ::testing::TestWithParam<const char*> {};

TEST_P(BadNetRecords, Refused) {
    std::uint8_t h[8], g[8];
    EXPECT_FALSE(ParseNetRecords(GetParam(), h, g));
}

INSTANTIATE_TEST_SUITE_P(Lines, BadNetRecords,
                         ::testing::Values("0011223344556677 8899aabbccddeef",      // short
                                           "0011223344556677-8899aabbccddeeff",     // no space
                                           "0011223344556677 8899AABBCCDDEEFF",     // capitals
                                           "00112233445566zz 8899aabbccddeeff",     // not hex
                                           "0011223344556677 8899aabbccddeeff0"));  // long

}  // namespace
