#include "net/ws_relay.h"

#include <arpa/inet.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <deque>
#include <unordered_map>
#include <vector>

#include "net/protocol.h"
#include "net/relay_server.h"

namespace net {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

// A slow browser may have this much waiting to go before it is let go, as ENet's peers.
constexpr std::size_t kMaxQueuedBytes = 256 * 1024;
// Connections whose WebSocket handshake is not done yet get this long.
constexpr auto kHandshakeTime = std::chrono::seconds(5);

AddressKey KeyOf(const asio::ip::address& address) {
    if (address.is_v4()) return htonl(address.to_v4().to_uint());
    if (address.to_v6().is_v4_mapped())
        return htonl(asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).to_uint());
    // IPv6 folded into the key's 32 bits: one /64 is one address to the gates.
    const auto bytes = address.to_v6().to_bytes();
    AddressKey key = 0x80000000u;
    for (int i = 0; i < 8; ++i) key = key * 16777619u ^ bytes[static_cast<std::size_t>(i)];
    return key;
}

}  // namespace

struct WsRelay::Impl {
    struct Peer : std::enable_shared_from_this<Peer> {
        Peer(Impl& o, tcp::socket socket) : owner(o), ws(std::move(socket)) {}
        Impl& owner;
        websocket::stream<tcp::socket> ws;
        AddressKey address = 0;
        PeerId id = 0;
        beast::flat_buffer buffer;
        std::deque<std::vector<std::uint8_t>> out;
        std::size_t queued = 0;
        bool writing = false;
        bool closing = false;  // close once the queue has gone out
        bool gone = false;     // the rooms know it no more
        bool ended = false;    // counted out (Closed)
    };

    explicit Impl(RelayServer& r) : relay(r), acceptor(io) {}

    void Accept() {
        acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted) return;
            if (!ec) Start(std::move(socket));
            Accept();
        });
    }

    void Start(tcp::socket socket) {
        beast::error_code ec;
        const auto remote = socket.remote_endpoint(ec);
        // More connections than the rooms hold peers: the newcomer goes at once.
        if (ec || open >= static_cast<std::size_t>(relay.Core().Limits().maxPeers)) {
            socket.close(ec);
            return;
        }
        auto peer = std::make_shared<Peer>(*this, std::move(socket));
        peer->address = KeyOf(remote.address());
        ++open;
        websocket::stream_base::timeout timeouts{};
        timeouts.handshake_timeout = kHandshakeTime;
        timeouts.idle_timeout = websocket::stream_base::none();
        timeouts.keep_alive_pings = false;
        peer->ws.set_option(timeouts);
        peer->ws.read_message_max(kMaxPacketBytes + 1);
        peer->ws.binary(true);
        peer->ws.async_accept([this, peer](beast::error_code e) {
            if (e) return Closed(peer);
            peer->id = relay.ConnectExternal(peer->address, nowMs);
            // The rooms are full, or the address holds its share of peers without a hello.
            if (peer->id == 0) return Closed(peer);
            byId[peer->id] = peer;
            Read(peer);
        });
    }

    void Read(const std::shared_ptr<Peer>& peer) {
        peer->ws.async_read(peer->buffer, [this, peer](beast::error_code e, std::size_t) {
            if (e) return Closed(peer);
            const auto data = peer->buffer.cdata();
            const auto* bytes = static_cast<const std::uint8_t*>(data.data());
            const std::size_t size = data.size();
            // A text message, or a channel we do not have: no client of ours.
            if (!peer->ws.got_binary() || size < 2 || bytes[0] >= kChannelCount) {
                peer->buffer.consume(size);
                return Shut(peer);
            }
            if (!peer->gone)
                relay.ReceiveExternal(peer->id, static_cast<Channel>(bytes[0]),
                                      {bytes + 1, size - 1}, nowMs);
            peer->buffer.consume(size);
            Read(peer);
        });
    }

    // What the rooms say to a bridged peer.
    void Act(const RelayAction& action) {
        auto it = byId.find(action.peer);
        if (it == byId.end()) return;
        std::shared_ptr<Peer> peer = it->second.lock();
        if (!peer) return;
        if (action.kind == RelayAction::Kind::Forget) {
            peer->gone = true;
            byId.erase(it);
            beast::error_code ec;
            peer->ws.next_layer().close(ec);
            return;
        }
        if (action.kind == RelayAction::Kind::Disconnect) {
            peer->closing = true;
            if (!peer->writing) Shut(peer);
            return;
        }
        if (peer->closing) return;
        if (peer->queued + action.bytes.size() + 1 > kMaxQueuedBytes) {
            // It does not read what it is sent: let go, as ENet lets go of such a peer.
            beast::error_code ec;
            peer->ws.next_layer().close(ec);
            return;
        }
        std::vector<std::uint8_t> message;
        message.reserve(action.bytes.size() + 1);
        message.push_back(static_cast<std::uint8_t>(action.channel));
        message.insert(message.end(), action.bytes.begin(), action.bytes.end());
        peer->queued += message.size();
        peer->out.push_back(std::move(message));
        if (!peer->writing) Write(peer);
    }

    void Write(const std::shared_ptr<Peer>& peer) {
        peer->writing = true;
        peer->ws.async_write(asio::buffer(peer->out.front()),
                             [this, peer](beast::error_code e, std::size_t) {
                                 peer->writing = false;
                                 if (e) return;  // the read fails too and says so
                                 peer->queued -= peer->out.front().size();
                                 peer->out.pop_front();
                                 if (!peer->out.empty()) return Write(peer);
                                 if (peer->closing) Shut(peer);
                             });
    }

    // The WebSocket's own goodbye; then the peer is gone.
    void Shut(const std::shared_ptr<Peer>& peer) {
        if (peer->ws.is_open() && !peer->writing) {
            peer->ws.async_close(websocket::close_code::normal,
                                 [this, peer](beast::error_code) { Closed(peer); });
        } else {
            beast::error_code ec;
            peer->ws.next_layer().close(ec);
        }
    }

    // The connection is over: the rooms are told (unless they let it go first) and it is
    // counted out, once, whichever of its read and its close ends first.
    void Closed(const std::shared_ptr<Peer>& peer) {
        if (peer->ended) return;
        peer->ended = true;
        if (peer->id != 0) {
            auto it = byId.find(peer->id);
            if (it != byId.end() && it->second.lock() == peer) byId.erase(it);
        }
        if (!peer->gone && peer->id != 0) relay.DisconnectExternal(peer->id, nowMs);
        peer->gone = true;
        beast::error_code ec;
        peer->ws.next_layer().close(ec);
        --open;
    }

    RelayServer& relay;
    asio::io_context io;
    tcp::acceptor acceptor;
    std::unordered_map<PeerId, std::weak_ptr<Peer>> byId;
    std::size_t open = 0;
    std::int64_t nowMs = 0;
};

WsRelay::WsRelay(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WsRelay::~WsRelay() {
    impl_->relay.SetExternalSink(nullptr);
}

std::unique_ptr<WsRelay> WsRelay::Open(RelayServer& relay, const std::string& bindHost,
                                       std::uint16_t port, std::string* error) {
    auto impl = std::make_unique<Impl>(relay);
    beast::error_code ec;
    const auto address = bindHost.empty() ? asio::ip::address(asio::ip::address_v4::any())
                                          : asio::ip::make_address(bindHost, ec);
    tcp::acceptor& acceptor = impl->acceptor;
    const tcp::endpoint endpoint(address, port);
    if (!ec) acceptor.open(endpoint.protocol(), ec);
    if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) acceptor.bind(endpoint, ec);
    if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        if (error)
            *error = "cannot listen on TCP port " + std::to_string(port) + ": " + ec.message();
        return nullptr;
    }
    Impl* self = impl.get();
    relay.SetExternalSink([self](const RelayAction& a) { self->Act(a); });
    self->Accept();
    return std::unique_ptr<WsRelay>(new WsRelay(std::move(impl)));
}

void WsRelay::Poll(std::int64_t nowMs) {
    impl_->nowMs = nowMs;
    // Bounded, so that a flood of WebSocket traffic leaves the ENet side its turn.
    for (int i = 0; i < 4096 && impl_->io.poll_one() > 0; ++i) {
    }
    impl_->relay.Flush(nowMs);
    for (int i = 0; i < 4096 && impl_->io.poll_one() > 0; ++i) {
    }
}

std::uint16_t WsRelay::Port() const {
    beast::error_code ec;
    return impl_->acceptor.local_endpoint(ec).port();
}

std::size_t WsRelay::Connections() const {
    return impl_->open;
}

}  // namespace net
