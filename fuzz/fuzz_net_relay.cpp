// The relay's handling of its peers: the input is a run of events (a peer connects, sends a
// packet, leaves, time passes); whatever comes, the relay keeps its bounds and sends only
// packets of the protocol, stamped with the sender's own role.
#include <cstdint>
#include <map>

#include "fuzz_support.h"
#include "net/relay_core.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace net;
    RelayLimits limits;
    limits.maxRooms = 3;
    limits.maxPeers = 8;
    limits.packetsPerSecond = 40;
    RelayCore relay(limits);
    std::int64_t now = 0;
    std::size_t at = 0;
    auto byte = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const std::uint8_t op = byte();
        const PeerId peer = 1 + byte() % 12;
        switch (op % 5) {
            case 0:
                relay.Connect(peer, byte() % 4, now);
                break;
            case 1:
            case 2: {
                std::size_t n = byte();
                n |= static_cast<std::size_t>(byte() & 7) << 8;
                n = std::min(n, size - at);
                relay.Receive(peer, op % 5 == 1 ? Channel::Session : Channel::Commands,
                              {data + at, n}, now);
                at += n;
                break;
            }
            case 3:
                relay.Disconnect(peer, now);
                break;
            default:
                now += 1 + byte() * 500;
                relay.Tick(now);
                break;
        }
        FUZZ_EXPECT(relay.Rooms() <= 3 && relay.Peers() <= 8);
        for (const RelayAction& a : relay.TakeActions()) {
            if (a.kind != RelayAction::Kind::Send) continue;
            Message m;
            FUZZ_EXPECT(a.bytes.size() <= kMaxPacketBytes);
            FUZZ_EXPECT(Decode(a.bytes, m) == DecodeError::None);
            if (auto* r = std::get_if<Relayed>(&m)) {
                Message inner;
                FUZZ_EXPECT(Decode(r->inner, inner) == DecodeError::None);
                // Only the relay speaks of who joined; nobody forwards a forwarded packet.
                FUZZ_EXPECT(!std::holds_alternative<Relayed>(inner) &&
                            !std::holds_alternative<PeerJoined>(inner) &&
                            !std::holds_alternative<PeerLeft>(inner));
            }
        }
    }
    return 0;
}
