#include "net/relay_link.h"

namespace net {

RelayLink::RelayLink(std::unique_ptr<Transport> toRelay, Role self)
    : inner_(std::move(toRelay)), peer_(self == Role::Host ? Role::Guest : Role::Host) {}

bool RelayLink::Receive(std::int64_t nowMs, Datagram& out) {
    Datagram packet;
    Message m;
    while (inner_->Receive(nowMs, packet)) {
        if (Decode(packet.bytes, m) != DecodeError::None) continue;
        if (auto* relayed = std::get_if<Relayed>(&m)) {
            if (relayed->from != peer_) continue;
            out.channel = packet.channel;
            out.bytes = std::move(relayed->inner);
            return true;
        }
        // The relay's own word: its answer to the hello, who came and went, its bye.
        const auto type = static_cast<Type>(TypeOf(packet.bytes));
        if (type == Type::Welcome || type == Type::Refuse || type == Type::PeerJoined ||
            type == Type::PeerLeft || type == Type::Bye) {
            out = std::move(packet);
            return true;
        }
    }
    return false;
}

}  // namespace net
