// A packet from the network: decoded or refused; what decodes is written back to the same
// bytes, and is then handed to a lockstep host, a lockstep guest and a spectator.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "net/lockstep.h"
#include "net/protocol.h"
#include "net/watcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace net;
    const std::span<const std::uint8_t> bytes(data, size);
    Message m;
    if (Decode(bytes, m) == DecodeError::None) {
        const auto again = Encode(m);
        FUZZ_EXPECT(again.size() == size && std::equal(again.begin(), again.end(), data));
    }
    // The same packet on both channels to each kind of receiver, among the packets of a match.
    for (Role role : {Role::Host, Role::Guest}) {
        auto [mine, theirs] = MakeMemoryPair();
        LockstepConfig config;
        config.role = role;
        config.feedWatchers = true;
        LockstepHooks hooks;
        hooks.stateHash = [] { return std::uint64_t{7}; };
        hooks.takeSnapshot = [] { return std::vector<std::uint8_t>(3000, 1); };
        hooks.restoreSnapshot = [](std::span<const std::uint8_t> b) { return b.size() < 5000; };
        Lockstep engine(*mine, config, hooks, 0);
        for (int tick = 0; tick < 4; ++tick) {
            theirs->Send(Channel::Session, bytes, tick);
            theirs->Send(Channel::Commands, bytes, tick);
            const StepResult r = engine.Step(tick * 15, WireCommand{});
            FUZZ_EXPECT(r.status != StepStatus::Run || r.tick <= static_cast<std::uint32_t>(tick));
        }
    }
    auto [mine, theirs] = MakeMemoryPair();
    Spectator spectator(*mine, {[](std::span<const std::uint8_t>) { return true; }, {}}, 0);
    for (int n = 0; n < 3; ++n) {
        theirs->Send(Channel::Session, bytes, n);
        spectator.Step(n);
    }
    return 0;
}
