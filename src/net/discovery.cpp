#include "net/discovery.h"

#include <enet/enet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include "net/enet_transport.h"

namespace net {
namespace {

bool SendDatagram(int socket, const ENetAddress& to, const Message& m) {
    auto bytes = Encode(m);
    if (bytes.empty()) return false;
    ENetBuffer buffer;
    buffer.data = bytes.data();
    buffer.dataLength = bytes.size();
    return enet_socket_send(socket, &to, &buffer, 1) == static_cast<int>(bytes.size());
}

// The next datagram, or false when none waits (or the socket failed).
bool ReceiveDatagram(int socket, ENetAddress& from, std::vector<std::uint8_t>& bytes) {
    bytes.resize(kMaxPacketBytes + 1);
    ENetBuffer buffer;
    buffer.data = bytes.data();
    buffer.dataLength = bytes.size();
    const int n = enet_socket_receive(socket, &from, &buffer, 1);
    if (n <= 0) return false;
    bytes.resize(static_cast<std::size_t>(n));
    return true;
}

int OpenUdp(const std::string& bindHost, std::uint16_t port, bool broadcast) {
    if (!StartEnet()) return -1;
    ENetSocket s = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (s == ENET_SOCKET_NULL) return -1;
    enet_socket_set_option(s, ENET_SOCKOPT_NONBLOCK, 1);
    enet_socket_set_option(s, ENET_SOCKOPT_REUSEADDR, 1);
    if (broadcast) enet_socket_set_option(s, ENET_SOCKOPT_BROADCAST, 1);
    ENetAddress address;
    address.host = ENET_HOST_ANY;
    address.port = port;
    if ((!bindHost.empty() && enet_address_set_host_ip(&address, bindHost.c_str()) != 0) ||
        enet_socket_bind(s, &address) != 0) {
        enet_socket_destroy(s);
        return -1;
    }
    return s;
}

}  // namespace

std::unique_ptr<LanBeacon> LanBeacon::Open(const std::string& bindHost, std::uint16_t port,
                                           std::string* error) {
    const int s = OpenUdp(bindHost, port, false);
    if (s < 0) {
        if (error) *error = "cannot listen for probes on UDP port " + std::to_string(port);
        return nullptr;
    }
    return std::unique_ptr<LanBeacon>(new LanBeacon(s));
}

LanBeacon::~LanBeacon() {
    enet_socket_destroy(socket_);
}

std::uint16_t LanBeacon::Port() const {
    ENetAddress address{};
    if (enet_socket_get_address(socket_, &address) != 0) return 0;
    return address.port;
}

int LanBeacon::Poll() {
    int answered = 0;
    std::vector<std::uint8_t> bytes;
    ENetAddress from;
    for (int n = 0; n < kMaxDatagramsPerPoll && ReceiveDatagram(socket_, from, bytes); ++n) {
        Message m;
        if (Decode(bytes, m) != DecodeError::None) continue;
        const auto* probe = std::get_if<Probe>(&m);
        if (!probe || probe->protocol != kProtocolVersion) continue;
        Offer offer = offer_;
        offer.nonce = probe->nonce;
        if (SendDatagram(socket_, from, offer)) ++answered;
    }
    return answered;
}

std::unique_ptr<LanProbe> LanProbe::Open(std::string* error) {
    const int s = OpenUdp("", 0, true);
    if (s < 0) {
        if (error) *error = "cannot open a UDP socket";
        return nullptr;
    }
    return std::unique_ptr<LanProbe>(new LanProbe(s));
}

LanProbe::~LanProbe() {
    enet_socket_destroy(socket_);
}

bool LanProbe::Send(const std::string& target, std::uint16_t port, std::uint32_t nonce) {
    ENetAddress to;
    if (enet_address_set_host_ip(&to, target.c_str()) != 0) return false;
    to.port = port;
    return SendDatagram(socket_, to, Probe{kProtocolVersion, nonce});
}

std::vector<FoundHost> LanProbe::Poll(std::uint32_t nonce) {
    std::vector<FoundHost> found;
    std::vector<std::uint8_t> bytes;
    ENetAddress from;
    for (int n = 0; n < kMaxDatagramsPerPoll && ReceiveDatagram(socket_, from, bytes); ++n) {
        Message m;
        if (Decode(bytes, m) != DecodeError::None) continue;
        const auto* offer = std::get_if<Offer>(&m);
        if (!offer || offer->nonce != nonce || offer->protocol != kProtocolVersion) continue;
        char ip[64] = {};
        if (enet_address_get_host_ip(&from, ip, sizeof ip) != 0) continue;
        found.push_back(FoundHost{ip, *offer});
    }
    return found;
}

std::vector<std::string> LocalAddresses() {
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        ENetAddress address;
        address.host = reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr;
        address.port = 0;
        char ip[64] = {};
        if (enet_address_get_host_ip(&address, ip, sizeof ip) != 0) continue;
        if (std::string(ip).rfind("127.", 0) == 0) continue;
        out.push_back(ip);
    }
    freeifaddrs(list);
    return out;
}

}  // namespace net
