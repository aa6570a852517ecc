#include "web/ws_transport.h"

#include <emscripten/websocket.h>

#include <vector>

#include "net/protocol.h"

namespace {

// Unread packets kept at most; a relay that floods us loses the link rather than the tab.
constexpr std::size_t kMaxQueued = 4096;

EM_BOOL OnOpen(int, const EmscriptenWebSocketOpenEvent*, void* self) {
    static_cast<WsTransport*>(self)->Opened();
    return EM_TRUE;
}

EM_BOOL OnMessage(int, const EmscriptenWebSocketMessageEvent* e, void* self) {
    if (!e->isText) static_cast<WsTransport*>(self)->Message(e->data, e->numBytes);
    return EM_TRUE;
}

EM_BOOL OnClose(int, const EmscriptenWebSocketCloseEvent*, void* self) {
    static_cast<WsTransport*>(self)->Lost();
    return EM_TRUE;
}

EM_BOOL OnError(int, const EmscriptenWebSocketErrorEvent*, void* self) {
    static_cast<WsTransport*>(self)->Lost();
    return EM_TRUE;
}

}  // namespace

std::unique_ptr<WsTransport> WsTransport::Connect(const std::string& host, std::uint16_t port,
                                                  std::string* error) {
    if (!emscripten_websocket_is_supported()) {
        if (error) *error = "this browser has no WebSocket";
        return nullptr;
    }
    // An IPv6 address goes in brackets in a URL.
    const bool v6 = host.find(':') != std::string::npos && host.front() != '[';
    const std::string url =
        "ws://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
    EmscriptenWebSocketCreateAttributes attributes;
    emscripten_websocket_init_create_attributes(&attributes);
    attributes.url = url.c_str();
    attributes.protocols = nullptr;
    const EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
    if (socket <= 0) {
        if (error) *error = "cannot open " + url;
        return nullptr;
    }
    std::unique_ptr<WsTransport> t(new WsTransport(socket));
    emscripten_websocket_set_onopen_callback(socket, t.get(), OnOpen);
    emscripten_websocket_set_onmessage_callback(socket, t.get(), OnMessage);
    emscripten_websocket_set_onclose_callback(socket, t.get(), OnClose);
    emscripten_websocket_set_onerror_callback(socket, t.get(), OnError);
    return t;
}

WsTransport::~WsTransport() {
    Close();
    // No callback may reach this object once it is gone.
    emscripten_websocket_delete(socket_);
}

void WsTransport::Message(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > net::kMaxPacketBytes + 1 || data[0] >= net::kChannelCount) return;
    if (in_.size() >= kMaxQueued) {
        Close();
        return;
    }
    ++wire_.datagramsReceived;
    wire_.bytesReceived += size;
    net::Datagram d;
    d.channel = static_cast<net::Channel>(data[0]);
    d.bytes.assign(data + 1, data + size);
    in_.push_back(std::move(d));
}

void WsTransport::Send(net::Channel channel, std::span<const std::uint8_t> bytes, std::int64_t) {
    if (status_ != net::LinkStatus::Connected || bytes.empty() ||
        bytes.size() > net::kMaxPacketBytes)
        return;
    std::vector<std::uint8_t> message;
    message.reserve(bytes.size() + 1);
    message.push_back(static_cast<std::uint8_t>(channel));
    message.insert(message.end(), bytes.begin(), bytes.end());
    if (emscripten_websocket_send_binary(socket_, message.data(), message.size()) !=
        EMSCRIPTEN_RESULT_SUCCESS)
        return;
    ++wire_.datagramsSent;
    wire_.bytesSent += message.size();
}

bool WsTransport::Receive(std::int64_t, net::Datagram& out) {
    if (in_.empty()) return false;
    out = std::move(in_.front());
    in_.pop_front();
    return true;
}

void WsTransport::Close() {
    if (status_ != net::LinkStatus::Closed) emscripten_websocket_close(socket_, 1000, "bye");
    status_ = net::LinkStatus::Closed;
}
