// The browser has no UDP: no LAN search and no answers to it. The network match's session asks
// for them as on the desktop and finds none; the screen says why (NetMenu::noLan).
#include "net/discovery.h"

namespace net {

std::unique_ptr<LanBeacon> LanBeacon::Open(const std::string&, std::uint16_t, std::string* error) {
    if (error) *error = "no LAN in the browser";
    return nullptr;
}
LanBeacon::~LanBeacon() = default;
int LanBeacon::Poll() {
    return 0;
}

std::unique_ptr<LanProbe> LanProbe::Open(std::string* error) {
    if (error) *error = "no LAN in the browser";
    return nullptr;
}
LanProbe::~LanProbe() = default;
bool LanProbe::Send(const std::string&, std::uint16_t, std::uint32_t) {
    return false;
}
std::vector<FoundHost> LanProbe::Poll(std::uint32_t) {
    return {};
}

std::vector<std::string> LocalAddresses() {
    return {};
}

}  // namespace net
