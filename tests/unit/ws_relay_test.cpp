// The relay's WebSocket door on 127.0.0.1: a browser's connection is one more peer of the
// relay's rooms, meeting an ENet host there, and the door keeps the rooms' bounds.
#include "net/ws_relay.h"

#include <gtest/gtest.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <functional>
#include <optional>

#include "net/enet_transport.h"
#include "net/relay_link.h"
#include "net/relay_server.h"

namespace net {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

Hello HelloAs(Role role) {
    return Hello{kProtocolVersion, "1.0.0", 0xAB, role, "x", "KXPWMN"};
}

std::vector<std::uint8_t> Framed(Channel channel, const Message& m) {
    std::vector<std::uint8_t> bytes = Encode(m);
    bytes.insert(bytes.begin(), static_cast<std::uint8_t>(channel));
    return bytes;
}

// A relay with its WebSocket door, served on the test's own clock (a millisecond a turn).
struct Door {
    std::unique_ptr<RelayServer> relay;
    std::unique_ptr<WsRelay> ws;
    std::int64_t nowMs = 0;
    std::vector<std::function<void()>> others;  // the clients' turns

    explicit Door(const RelayLimits& limits = RelayLimits{}) {
        std::string error;
        relay = RelayServer::Open("127.0.0.1", 0, limits, &error);
        EXPECT_NE(relay, nullptr) << error;
        if (relay) ws = WsRelay::Open(*relay, "127.0.0.1", 0, &error);
        EXPECT_NE(ws, nullptr) << error;
    }
    // Turns until `done`, at most `turns` of them (each waits at most 1 ms for ENet).
    bool Until(const std::function<bool()>& done, int turns = 4000) {
        for (int i = 0; i < turns; ++i) {
            if (done()) return true;
            ++nowMs;
            relay->Service(nowMs, 1);
            ws->Poll(nowMs);
            for (auto& turn : others) turn();
        }
        return done();
    }
};

// A browser's end of the door: binary messages, the channel in the first byte.
struct Browser {
    asio::io_context io;
    websocket::stream<tcp::socket> ws{io};
    beast::flat_buffer buffer;
    bool reading = false, got = false, closed = false;

    explicit Browser(Door& door) {
        door.others.push_back([this] {
            io.restart();
            io.poll();
        });
        ws.next_layer().connect({asio::ip::make_address("127.0.0.1"), door.ws->Port()});
        bool open = false;
        ws.async_handshake("127.0.0.1", "/", [&open](beast::error_code e) { open = !e; });
        EXPECT_TRUE(door.Until([&open] { return open; }));
        ws.binary(true);
    }
    void Send(Channel channel, const Message& m) { Raw(Framed(channel, m)); }
    void Raw(const std::vector<std::uint8_t>& bytes) {
        beast::error_code ec;
        ws.write(asio::buffer(bytes), ec);
    }
    // The next packet from the relay; nothing once the connection is closed.
    std::optional<Datagram> Next(Door& door) {
        if (!reading) {
            reading = true;
            got = false;
            ws.async_read(buffer, [this](beast::error_code e, std::size_t) {
                got = true;
                closed = closed || static_cast<bool>(e);
            });
        }
        if (!door.Until([this] { return got; }) || closed) return std::nullopt;
        reading = false;
        const auto data = buffer.cdata();
        const auto* bytes = static_cast<const std::uint8_t*>(data.data());
        Datagram d;
        d.channel = static_cast<Channel>(bytes[0]);
        d.bytes.assign(bytes + 1, bytes + data.size());
        buffer.consume(data.size());
        return d;
    }
    // Reads until the relay closes the connection; false when it stays open.
    bool ClosedByRelay(Door& door) {
        for (int i = 0; i < 64 && !closed; ++i) {
            if (!Next(door) && !closed) return false;
        }
        return closed;
    }
};

template <typename T>
std::optional<T> Unwrapped(const Datagram& d, Role* from = nullptr) {
    Message m;
    if (Decode(d.bytes, m) != DecodeError::None) return std::nullopt;
    if (auto* r = std::get_if<Relayed>(&m)) {
        if (from) *from = r->from;
        if (Decode(r->inner, m) != DecodeError::None) return std::nullopt;
    }
    if (auto* t = std::get_if<T>(&m)) return *t;
    return std::nullopt;
}

TEST(WsRelay, ABrowserGuestPlaysWithAnEnetHostInOneRoom) {
    Door door;
    std::string error;
    auto enet = EnetTransport::Connect("127.0.0.1", door.relay->Port(), &error);
    ASSERT_NE(enet, nullptr) << error;
    RelayLink host(std::move(enet), Role::Host);
    ASSERT_TRUE(door.Until([&] {
        Datagram ignored;
        host.Receive(door.nowMs, ignored);
        return host.Status() == LinkStatus::Connected;
    }));
    host.Send(Channel::Session, Encode(HelloAs(Role::Host)), door.nowMs);
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Rooms() == 1; }));

    Browser guest(door);
    guest.Send(Channel::Session, HelloAs(Role::Guest));
    // The host hears the guest's hello, then its commands on their own channel.
    guest.Send(Channel::Commands, Commands{7, {WireCommand{}}, 0});
    bool heardHello = false;
    std::optional<Datagram> commands;
    ASSERT_TRUE(door.Until([&] {
        Datagram d;
        while (!commands && host.Receive(door.nowMs, d)) {
            heardHello = heardHello || Unwrapped<Hello>(d).has_value();
            if (Unwrapped<Commands>(d)) commands = d;
        }
        return commands.has_value();
    }));
    EXPECT_TRUE(heardHello);
    EXPECT_EQ(commands->channel, Channel::Commands);
    EXPECT_EQ(Unwrapped<Commands>(*commands)->firstTick, 7u);
    // The host's answer and start reach the browser in order, stamped as the host's.
    host.Send(Channel::Session, Encode(Welcome{Role::Guest, "h"}), door.nowMs);
    host.Send(Channel::Session, Encode(Start{5, 8, 3}), door.nowMs);
    std::vector<Datagram> got;
    for (int i = 0; i < 8 && (got.empty() || !Unwrapped<Start>(got.back())); ++i) {
        auto d = guest.Next(door);
        ASSERT_TRUE(d);
        got.push_back(*d);
    }
    ASSERT_GE(got.size(), 2u);
    Role from{};
    ASSERT_TRUE(Unwrapped<Welcome>(got[got.size() - 2], &from));
    EXPECT_EQ(from, Role::Host);
    const auto start = Unwrapped<Start>(got.back(), &from);
    ASSERT_TRUE(start);
    EXPECT_EQ(from, Role::Host);
    EXPECT_EQ(got.back().channel, Channel::Session);
    EXPECT_EQ(start->startLevel, 8);
    // The browser goes: the host is told.
    guest.ws.async_close(websocket::close_code::normal, [](beast::error_code) {});
    ASSERT_TRUE(door.Until([&] {
        Datagram d;
        while (host.Receive(door.nowMs, d)) {
            if (Unwrapped<PeerLeft>(d)) return true;
        }
        return false;
    }));
    EXPECT_EQ(door.relay->Core().Peers(), 1u);
}

// What is no packet of ours ends the connection, and the rooms forget the peer.
struct Misfit {
    const char* what;
    std::function<void(Browser&)> send;
};

class WsRelayMisfit : public ::testing::TestWithParam<Misfit> {};

TEST_P(WsRelayMisfit, ClosesTheConnection) {
    Door door;
    Browser browser(door);
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Peers() == 1; }));
    GetParam().send(browser);
    EXPECT_TRUE(browser.ClosedByRelay(door)) << GetParam().what;
    EXPECT_TRUE(door.Until([&] { return door.relay->Core().Peers() == 0; }));
    EXPECT_TRUE(door.Until([&] { return door.ws->Connections() == 0; }));
}

INSTANTIATE_TEST_SUITE_P(
    Door, WsRelayMisfit,
    ::testing::Values(Misfit{"a text message",
                             [](Browser& b) {
                                 b.ws.text(true);
                                 b.ws.write(asio::buffer(std::string("hello")));
                             }},
                      Misfit{"a channel we do not have",
                             [](Browser& b) {
                                 auto bytes = Framed(Channel::Session, HelloAs(Role::Guest));
                                 bytes[0] = kChannelCount;
                                 b.Raw(bytes);
                             }},
                      Misfit{"a message larger than any packet",
                             [](Browser& b) {
                                 b.Raw(std::vector<std::uint8_t>(kMaxPacketBytes + 2, 0));
                             }},
                      Misfit{"a first packet that is no hello",
                             [](Browser& b) {
                                 b.Send(Channel::Session, Start{1, 1, 3});
                             }}),
    [](const ::testing::TestParamInfo<Misfit>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(WsRelay, ASilentBrowserGoesAfterTheHelloTimeout) {
    RelayLimits limits;
    limits.helloTimeoutMs = 200;
    Door door(limits);
    Browser browser(door);
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Peers() == 1; }));
    const std::int64_t connected = door.nowMs;
    EXPECT_TRUE(browser.ClosedByRelay(door));
    EXPECT_GE(door.nowMs - connected, 200);
    EXPECT_EQ(door.relay->Core().Counters().silentDropped, 1u);
}

TEST(WsRelay, ABrowserFloodingTheSessionChannelIsLetGo) {
    RelayLimits limits;
    limits.packetsPerSecond = 20;
    Door door(limits);
    Browser browser(door);
    browser.Send(Channel::Session, HelloAs(Role::Host));
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Rooms() == 1; }));
    for (int i = 0; i < 40; ++i)
        browser.Send(Channel::Session, Ping{static_cast<std::uint32_t>(i)});
    EXPECT_TRUE(browser.ClosedByRelay(door));
    EXPECT_GE(door.relay->Core().Counters().droppedRate, 1u);
    EXPECT_TRUE(door.Until([&] { return door.relay->Core().Rooms() == 0; }));
}

TEST(WsRelay, TakesNoMoreConnectionsThanTheRoomsHoldPeers) {
    RelayLimits limits;
    limits.maxPeers = 2;
    Door door(limits);
    Browser a(door), b(door);
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Peers() == 2; }));
    // The third is closed before or at its handshake.
    asio::io_context io;
    websocket::stream<tcp::socket> c(io);
    c.next_layer().connect({asio::ip::make_address("127.0.0.1"), door.ws->Port()});
    bool done = false, open = false;
    c.async_handshake("127.0.0.1", "/", [&](beast::error_code e) {
        done = true;
        open = !e;
    });
    EXPECT_TRUE(door.Until([&] {
        io.restart();
        io.poll();
        return done;
    }));
    EXPECT_FALSE(open);
    EXPECT_EQ(door.relay->Core().Peers(), 2u);
}

TEST(WsRelay, AnAddressHoldsOnlyItsShareOfBrowsersWithoutAHello) {
    RelayLimits limits;
    limits.pendingPerAddress = 1;
    Door door(limits);
    Browser first(door);
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Peers() == 1; }));
    Browser second(door);
    EXPECT_TRUE(second.ClosedByRelay(door));
    EXPECT_TRUE(door.Until([&] { return door.ws->Connections() == 1; }));
    // Once the first has said its hello, the address may bring another.
    first.Send(Channel::Session, HelloAs(Role::Host));
    ASSERT_TRUE(door.Until([&] { return door.relay->Core().Rooms() == 1; }));
    Browser third(door);
    EXPECT_TRUE(door.Until([&] { return door.relay->Core().Peers() == 2; }));
}

}  // namespace
}  // namespace net
