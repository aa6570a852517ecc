// The payload of a suspended game's snapshot, wrapped in a header that fits it (so the checks
// behind the checksum are what is tried): taken back or refused whole, then resumed and played a
// little.
#include <string>

#include "fuzz_support.h"
#include "modes/level_start.h"
#include "shell/snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzGame f;
    Game& g = f.game;
    const std::vector<std::uint8_t> before = SnapshotBytes(g);
    std::string why;
    if (!RestoreSnapshotBytes(g, WrapSnapshotPayload(data, size), why)) {
        FUZZ_EXPECT(!why.empty() && SnapshotBytes(g) == before);
        return 0;
    }
    FUZZ_EXPECT(StartLevel(g, g.env, ResumeStart(false)));
    for (int t = 0; t < 24; ++t) {
        g.input.MouseX = 60 + (t * 157) % 520;
        g.input.MouseButtonDown = t % 3 == 0 ? 1 : 0;
        f.Tick();
    }
    return 0;
}
