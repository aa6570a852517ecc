// Finding a host on the LAN: a joining player sends a probe to the discovery port, every waiting
// host answers with its name, start level and game port. Where the probe goes is the caller's
// choice: the broadcast address in the game, 127.0.0.1 in the tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/protocol.h"

namespace net {

inline constexpr std::uint16_t kDiscoveryPort = 27432;
inline constexpr const char* kBroadcastAddress = "255.255.255.255";
// Answers read per poll: a flood of them costs a poll nothing more.
inline constexpr int kMaxDatagramsPerPoll = 64;

struct FoundHost {
    std::string address;  // where the answer came from
    Offer offer;
};

// A waiting host's side: answers every probe of our protocol.
class LanBeacon {
  public:
    static std::unique_ptr<LanBeacon> Open(const std::string& bindHost, std::uint16_t port,
                                           std::string* error);
    ~LanBeacon();
    void SetOffer(const Offer& offer) { offer_ = offer; }
    // Answers the probes that have come; returns how many.
    int Poll();
    std::uint16_t Port() const;

  private:
    explicit LanBeacon(int socket) : socket_(socket) {}
    int socket_;
    Offer offer_;
};

// A joining player's side.
class LanProbe {
  public:
    static std::unique_ptr<LanProbe> Open(std::string* error);
    ~LanProbe();
    // One probe to target:port; `nonce` comes back in the answers of this round.
    bool Send(const std::string& target, std::uint16_t port, std::uint32_t nonce);
    // The answers that have come with that nonce (others are stale or forged).
    std::vector<FoundHost> Poll(std::uint32_t nonce);

  private:
    explicit LanProbe(int socket) : socket_(socket) {}
    int socket_;
};

// This machine's IPv4 addresses other than loopback, for the host's screen.
std::vector<std::string> LocalAddresses();

}  // namespace net
