// The wire protocol: every message survives the trip, and damaged, cut or oversized packets are
// refused with an error rather than read.
#include <gtest/gtest.h>

#include "net/protocol.h"
#include "net/room_code.h"

namespace net {
namespace {

WireCommand Cmd(std::uint8_t seed) {
    WireCommand c;
    for (std::size_t i = 0; i < c.bytes.size(); ++i)
        c.bytes[i] = static_cast<std::uint8_t>(seed + i * 37);
    return c;
}

// One filled-in message of every type, with values at the ends of their ranges.
std::vector<Message> Samples() {
    Commands full{kMaxTick - kMaxCommandsPerPacket, {}, 77};
    for (std::size_t i = 0; i < kMaxCommandsPerPacket; ++i)
        full.commands.push_back(Cmd(static_cast<std::uint8_t>(i)));
    Ticks ticks{5, {}};
    for (std::size_t i = 0; i < kMaxTicksPerPacket; ++i) ticks.ticks.push_back({Cmd(1), Cmd(2)});
    SnapshotChunk chunk{600, 2, kMaxSnapshotBytes, kMaxSnapshotBytes - 1024,
                        std::vector<std::uint8_t>(kSnapshotChunkBytes, 0x5A)};
    std::vector<std::uint8_t> inner(kMaxClientPacketBytes, 9);
    inner[0] = static_cast<std::uint8_t>(Type::Commands);
    return {
        Hello{kProtocolVersion, "1.0.0", 0xFEDCBA9876543210ull, Role::Guest, "Anna \xC4rger",
              "KXPWMN"},
        Hello{7, std::string(kMaxGameVersionLength, 'v'), 0, Role::Watcher, "", ""},
        Welcome{Role::Watcher, std::string(kMaxNameLength, 'n')},
        Refuse{Reason::LevelFilesDiffer},
        Start{0xFFFFFFFFFFFFFFFFull, kMaxStartLevel, kMaxDelay},
        Commands{0, {}, 0},
        full,
        ticks,
        StateHash{kMaxTick, 65535, 0x0123456789ABCDEFull},
        chunk,
        DelayChange{12345, kMinDelay},
        Ping{0xDEADBEEF},
        Pong{1},
        Bye{Reason::TooManyDesyncs},
        Relayed{Role::Guest, 0, inner},
        PeerJoined{Role::Watcher, kMaxWatchers},
        PeerLeft{Role::Host, 0},
        Probe{kProtocolVersion, 42},
        Offer{kProtocolVersion, 42, 65535, "Host", 43, "ABCDEF", 1},
    };
}

class EveryMessage : public ::testing::TestWithParam<std::size_t> {
  protected:
    Message sample = Samples()[GetParam()];
};

TEST_P(EveryMessage, DecodesToWhatWasEncodedAndFitsThePacketBound) {
    const auto bytes = Encode(sample);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), kMaxPacketBytes);
    Message back;
    ASSERT_EQ(Decode(bytes, back), DecodeError::None);
    EXPECT_EQ(back, sample);
    EXPECT_EQ(Encode(back), bytes);
}

TEST_P(EveryMessage, EveryShorterPacketIsRefused) {
    const auto bytes = Encode(sample);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        Message back;
        EXPECT_NE(Decode(std::span(bytes).first(n), back), DecodeError::None) << "length " << n;
    }
}

TEST_P(EveryMessage, ATrailingByteIsRefused) {
    auto bytes = Encode(sample);
    bytes.push_back(0);
    Message back;
    const DecodeError e = Decode(bytes, back);
    EXPECT_TRUE(e == DecodeError::TrailingBytes || e == DecodeError::TooLong) << DecodeErrorName(e);
}

INSTANTIATE_TEST_SUITE_P(Protocol, EveryMessage,
                         ::testing::Range<std::size_t>(0, Samples().size()));

TEST(Protocol, WritesLittleEndianBehindTheTypeByte) {
    EXPECT_EQ(Encode(Ping{0x01020304}),
              (std::vector<std::uint8_t>{static_cast<std::uint8_t>(Type::Ping), 4, 3, 2, 1}));
}

TEST(Protocol, RefusesOversizedAndEmptyPackets) {
    std::vector<std::uint8_t> big(kMaxPacketBytes + 1, 0);
    big[0] = static_cast<std::uint8_t>(Type::Relayed);
    Message m;
    EXPECT_EQ(Decode(big, m), DecodeError::TooLong);
    EXPECT_EQ(Decode({}, m), DecodeError::Empty);
    const std::uint8_t unknown[] = {0xEE, 0, 0};
    EXPECT_EQ(Decode(unknown, m), DecodeError::UnknownType);
}

// A packet of the given message with one byte at `at` overwritten.
struct Damage {
    const char* what;
    Message message;
    std::size_t at;
    std::uint8_t value;
};

class DamagedPacket : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedPacket, IsRefusedAsOutOfRange) {
    auto bytes = Encode(GetParam().message);
    ASSERT_LT(GetParam().at, bytes.size());
    bytes[GetParam().at] = GetParam().value;
    Message m;
    EXPECT_EQ(Decode(bytes, m), DecodeError::OutOfRange) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Protocol, DamagedPacket,
    ::testing::Values(Damage{"start level 0", Start{1, 8, 3}, 9, 0},
                      Damage{"start level 51", Start{1, 8, 3}, 9, 51},
                      Damage{"delay 1", Start{1, 8, 3}, 10, 1},
                      Damage{"delay 11", Start{1, 8, 3}, 10, 11},
                      Damage{"65 commands", Commands{0, {Cmd(1)}, 0}, 9, 65},
                      Damage{"tick beyond the last", Commands{0, {}, 0}, 4, 0x80},
                      Damage{"role 4", Hello{kProtocolVersion, "1", 0, Role::Host, "a", ""}, 13, 4},
                      Damage{"role 0", Welcome{Role::Guest, ""}, 1, 0},
                      Damage{"reason 99", Refuse{Reason::BadCode}, 1, 99},
                      Damage{"room code with I",
                             Hello{kProtocolVersion, "1", 0, Role::Guest, "", "ABCDEF"}, 17, 'I'},
                      Damage{"room code of 3 letters",
                             Hello{kProtocolVersion, "1", 0, Role::Guest, "", "ABCDEF"}, 15, 3},
                      Damage{"name with a control character", Welcome{Role::Guest, "ab"}, 3, '\n'},
                      Damage{"name longer than 16", Welcome{Role::Guest, "ab"}, 2, 17},
                      Damage{"snapshot past its end", SnapshotChunk{0, 0, 10, 0, {1, 2}}, 11, 9},
                      Damage{"snapshot over 1 MiB", SnapshotChunk{0, 0, 10, 0, {1, 2}}, 9, 0x20},
                      Damage{"empty snapshot chunk", SnapshotChunk{0, 0, 10, 0, {1, 2}}, 15, 0},
                      Damage{"watcher slot 9", PeerJoined{Role::Watcher, 1}, 2, 9},
                      Damage{"relayed packet of no bytes", Relayed{Role::Host, 0, {1}}, 3, 0},
                      Damage{"offer to port 0", Offer{kProtocolVersion, 1, 80, "", 1, ""}, 7, 0}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(Protocol, EncodeRefusesWhatDecodeWouldRefuse) {
    Commands tooMany;
    tooMany.commands.resize(kMaxCommandsPerPacket + 1);
    EXPECT_TRUE(Encode(tooMany).empty());
    EXPECT_TRUE(
        Encode(Hello{kProtocolVersion, "1", 0, Role::Guest, std::string(17, 'x'), ""}).empty());
    EXPECT_TRUE(Encode(Start{1, 0, 3}).empty());
    EXPECT_TRUE(Encode(SnapshotChunk{0, 0, 4, 3, {1, 2}}).empty());
}

TEST(Protocol, AHelloOfAnotherProtocolVersionIsStillReadSoItCanBeAnswered) {
    Message m;
    ASSERT_EQ(Decode(Encode(Hello{999, "9.9", 1, Role::Guest, "x", ""}), m), DecodeError::None);
    EXPECT_EQ(std::get<Hello>(m).protocol, 999);
}

TEST(Protocol, CommandFieldsKeepEveryBit) {
    const CommandFields f{640, 65535, 0x0F, 1, 0x80, 7};
    EXPECT_EQ(UnpackCommand(PackCommand(f)), f);
}

TEST(RoomCode, CodesAreFourLettersOfTheAlphabetAndSpreadOut) {
    std::set<std::string> seen;
    for (std::uint64_t n = 0; n < 1000; ++n) {
        const std::string code = RoomCodeFor(n);
        EXPECT_TRUE(ValidRoomCode(code)) << code;
        seen.insert(code);
    }
    EXPECT_GT(seen.size(), 999u);  // 19^6 codes; neighbouring numbers rarely meet
}

TEST(RoomCode, TypedCodesAreNormalisedOrRefused) {
    // Typed as shown, read out in two groups, or in one go.
    EXPECT_EQ(NormaliseRoomCode("krm-tax"), "KRMTAX");
    EXPECT_EQ(NormaliseRoomCode(" KRM TAX "), "KRMTAX");
    EXPECT_EQ(NormaliseRoomCode("krmtax"), "KRMTAX");
    EXPECT_EQ(ShownRoomCode("KRMTAX"), "KRM-TAX");
    EXPECT_EQ(NormaliseRoomCode(ShownRoomCode(RoomCodeFor(5))), RoomCodeFor(5));
    EXPECT_EQ(NormaliseRoomCode("KRMTAI"), std::nullopt);  // I looks like 1 and l
    EXPECT_EQ(NormaliseRoomCode("KRMTA"), std::nullopt);
    EXPECT_EQ(NormaliseRoomCode("KRMTAXA"), std::nullopt);
    EXPECT_EQ(NormaliseRoomCode("KRM-T0X"), std::nullopt);
}

}  // namespace
}  // namespace net
